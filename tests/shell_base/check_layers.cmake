# The libraries from the OS layer up include only what lies below them, so the
# dependencies run one way: platform, shell_base, files, ini, shell. Each line
# below names a folder and the folders its sources may include from; an include
# of any other folder of the tree is reported with its file and line.
#   cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)
set(layers
  "platform|platform"
  "shell_base|platform shell_base varn"
  "files|platform shell_base files varn"
  "ini|platform shell_base files ini varn"
  "shell|platform shell_base files ini shell varn")
file(GLOB tree_folders LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(APPEND tree_folders varn)  # include/varn, included as "varn/..."
set(faults "")
foreach(layer ${layers})
  string(REPLACE "|" ";" layer ${layer})
  list(GET layer 0 folder)
  list(GET layer 1 allowed)
  string(REPLACE " " ";" allowed "${allowed}")
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  if(NOT sources)
    string(APPEND faults "${folder}/ holds no sources\n")
  endif()
  foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
      string(REGEX MATCH "\"([^/\"]+)/" _ "${line}")
      set(included ${CMAKE_MATCH_1})
      if(included AND included IN_LIST tree_folders AND NOT included IN_LIST allowed)
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        string(APPEND faults "${name}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "includes against the direction of the libraries:\n${faults}")
endif()
