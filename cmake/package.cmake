# The Debian package, built from the install rules by `cpack --preset deb`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kurvimo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT
    "the Kurvimo developers <maintainers@users.noreply.c-seed-95b663d1.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "draw abstract figures that evolve at random while you steer them")
set(CPACK_PACKAGE_DESCRIPTION
    "Kurvimo draws abstract figures, each the trace of a walk whose steps add up
a few cosines and sines. While a figure runs it changes a little twice a
second; six sliders steer it, the last 1000 figures can be stepped through
again, a new run starts on a clean canvas or on top of the earlier ones, and
the canvas can be saved as a Windows bitmap.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Its texts are designed in Arial, which Liberation Sans stands in for, and ask in Japanese; Qt's
# own texts, such as Yes and No, come translated from qt6-translations-l10n.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-ipafont-gothic, qt6-translations-l10n")
# Without it, a Wayland session runs the program through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Every file of the package bears the time of the commit it is built from, unless
# SOURCE_DATE_EPOCH says otherwise, so that two builds give the same bytes.
file(WRITE ${PROJECT_BINARY_DIR}/package-time.cmake "
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY \"${PROJECT_SOURCE_DIR}\"
                  OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(commit_time)
    set(ENV{SOURCE_DATE_EPOCH} \${commit_time})
  endif()
endif()
")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/package-time.cmake)
include(CPack)
