# Helpers shared by every folder of the tree.

set(VARN_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources (Debian's googletest package)")

# Static runtime on Windows: a deliverable needs nothing but system DLLs.
if(WIN32)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# varn_add_test(NAME SOURCES ... [LIBS ...] [MAY_SKIP Suite.Case ...] [TEST_PROPERTIES prop value ...])
# On Windows every test program is one CTest test (process start under Wine is the
# expensive part), and each case named in MAY_SKIP (a case that skips as root, in
# one width, in one build type or without an optional package) is a test of its
# own, NAME.Suite.Case (NAME.Suite for Suite.*), left out of the program's test: a skipped case then shows
# in the summary by name without marking the cases that ran as not run. A program
# exits 77 (skipped) when a case skipped and none failed, so a case that skips
# without being named here makes its whole program show as skipped. Natively each
# case is discovered and run on its own, and MAY_SKIP changes nothing.
# TEST_PROPERTIES go on every CTest test the program makes.
function(varn_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;MAY_SKIP;TEST_PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} varn_gtest_main)
  target_compile_definitions(${name} PRIVATE VARN_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(WIN32)
    set(others "")
    if(T_MAY_SKIP)
      list(JOIN T_MAY_SKIP ":" skippable)
      set(others "--gtest_filter=-${skippable}")
    endif()
    add_test(NAME ${name} COMMAND ${name} ${others})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77 ${T_TEST_PROPERTIES})
    foreach(case ${T_MAY_SKIP})
      string(REGEX REPLACE "\\.\\*$" "" entry "${name}.${case}")  # Suite.* is named NAME.Suite
      add_test(NAME ${entry} COMMAND ${name} --gtest_filter=${case})
      # A case that no longer exists runs nothing: that fails rather than passes.
      set_tests_properties(${entry} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77
        FAIL_REGULAR_EXPRESSION " 0 tests from 0 test suites ran" ${T_TEST_PROPERTIES})
    endforeach()
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 ${T_TEST_PROPERTIES})
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
