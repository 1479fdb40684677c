# Helpers shared by every folder of the tree.

set(VARN_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources (Debian's googletest package)")

# Static runtime on Windows: a deliverable needs nothing but system DLLs.
if(WIN32)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# varn_add_test(NAME SOURCES ... [LIBS ...] [DATA_DIR dir])
# On Windows every test program is one CTest test (process start under Wine is the
# expensive part); natively each case is discovered and run on its own.
function(varn_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} varn_gtest_main)
  target_compile_definitions(${name} PRIVATE VARN_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
  endif()
endfunction()

# varn_add_module(NAME SOURCES ... [LIBS ...]): a module DLL (shared object natively)
# that exports InitDLL and ExitDLL undecorated.
function(varn_add_module name)
  cmake_parse_arguments(M "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${M_SOURCES})
  target_link_libraries(${name} PRIVATE ${M_LIBS})
  set_target_properties(${name} PROPERTIES PREFIX "")
  if(WIN32)
    target_link_options(${name} PRIVATE -Wl,--kill-at)
  else()
    # Each module keeps its own copies of the shell and its allocation operators.
    target_link_options(${name} PRIVATE -Wl,-Bsymbolic)
  endif()
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt
# (tests/, bench/, fuzz/ and tools/ hold one folder per subject).
function(varn_add_subdirectories)
  file(GLOB sub_dirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${sub_dirs})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
