# The fuzz build's toolchain: clang where it is installed, or else the default compiler, with
# which the fuzz test reports that it was skipped.
find_program(KURVIMO_CLANG NAMES clang++)
if(KURVIMO_CLANG)
  set(CMAKE_CXX_COMPILER ${KURVIMO_CLANG})
endif()
