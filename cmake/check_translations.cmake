# Fails when the sources hold a text that a catalogue lacks, or a catalogue holds one untranslated.
#   cmake -DLUPDATE=<lupdate> -DSOURCES=<folder> -DCATALOGUES=<a.ts;...> -DWORK=<folder> -P <this>
foreach(catalogue ${CATALOGUES})
  get_filename_component(name ${catalogue} NAME)
  configure_file(${catalogue} ${WORK}/${name} COPYONLY)
  execute_process(COMMAND ${LUPDATE} ${SOURCES} -locations none -no-obsolete -ts ${WORK}/${name}
                  RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
  file(STRINGS ${WORK}/${name} unfinished REGEX "type=\"unfinished\"")
  if(failed)
    message(FATAL_ERROR "lupdate failed on ${name}: ${said}")
  elseif(unfinished)
    list(LENGTH unfinished count)
    message(FATAL_ERROR "${name} lacks ${count} translation(s): build the target "
                        "update_translations, then translate them in ${catalogue}")
  endif()
endforeach()
