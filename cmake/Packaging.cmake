# The Windows package: the sample game ready to run, the modders' tools and
# the module SDK, as one zip (cpack) laid out like this:
#   Varn.exe, startup.ini, README.txt        the game directory itself
#   libgcrypt-20.dll, libgpg-error-0.dll     the network layer's password key (LGPL DLLs:
#                                            Windows finds a module's DLLs beside the program)
#   Licenses\                                their copyright notices and the LGPL 2.1
#   System\                                  module DLLs, varnComm.dll, the network layer
#   Menu\ Flight\ Objects\ Speech\           the sample game's catalogs
#   Demo\Demo.ini                            the demo script (copy it next to Varn.exe)
#   Demo\DemoHost.ini, DemoJoiner.ini        the two-player demo's scripts
#   Demo\DemoJoinerAlone.ini                 the joiner's script of the demo whose host dies
#   Tools\                                   varncat.exe, varnini.exe
#   SDK\include SDK\lib SDK\src SDK\cmake    module SDK: headers, service access layer, INI library
#   SDK\example-module\                      a starter module with its own CMakeLists
# `cmake --install` into a folder gives the same tree (the demo uses that).

set(data ${CMAKE_SOURCE_DIR}/modules/sample/data)
install(TARGETS Varn RUNTIME DESTINATION .)
install(FILES ${data}/startup.ini DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/sdk/README.txt DESTINATION .)
install(FILES ${VARN_CRYPTO_DLLS} DESTINATION .)
foreach(notice "libgcrypt-mingw-w64-dev/copyright|libgcrypt.txt" "libgpg-error-mingw-w64-dev/copyright|libgpg-error.txt"
    "../common-licenses/LGPL-2.1|LGPL-2.1.txt")
  string(REPLACE "|" ";" notice ${notice})
  list(GET notice 0 from)
  list(GET notice 1 to)
  if(EXISTS /usr/share/doc/${from})
    install(FILES /usr/share/doc/${from} DESTINATION Licenses RENAME ${to})
  else()
    message(WARNING "/usr/share/doc/${from} is missing: the package goes without ${to}")
  endif()
endforeach()
install(TARGETS ${VARN_SAMPLE_MODULES} varnComm varn_net_layer RUNTIME DESTINATION System LIBRARY DESTINATION System)
install(DIRECTORY ${VARN_SAMPLE_CATALOG_DIR}/ DESTINATION .)
install(FILES ${data}/Demo.ini ${data}/DemoHost.ini ${data}/DemoJoiner.ini ${data}/DemoJoinerAlone.ini
        DESTINATION Demo)
install(TARGETS varncat varnini RUNTIME DESTINATION Tools)

install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/varn DESTINATION SDK/include)
install(FILES ${CMAKE_SOURCE_DIR}/shell/shell.h ${CMAKE_SOURCE_DIR}/shell/shell_app.h
  ${CMAKE_SOURCE_DIR}/shell/shell_memory.h ${CMAKE_SOURCE_DIR}/shell/shell_new.h ${CMAKE_SOURCE_DIR}/shell/log.h
  DESTINATION SDK/include/shell)
# What the headers above take from the bottom of the layer: allocation, the log
# entry points, the bound file manager and the path buffer size.
install(FILES ${CMAKE_SOURCE_DIR}/shell_base/shell_memory.h ${CMAKE_SOURCE_DIR}/shell_base/log.h
  ${CMAKE_SOURCE_DIR}/shell_base/bound_file_manager.h ${CMAKE_SOURCE_DIR}/shell_base/path_size.h
  DESTINATION SDK/include/shell_base)
install(FILES ${CMAKE_SOURCE_DIR}/files/strings.h ${CMAKE_SOURCE_DIR}/files/paths.h
  ${CMAKE_SOURCE_DIR}/files/cursor_list.h ${CMAKE_SOURCE_DIR}/files/rotating_find.h
  ${CMAKE_SOURCE_DIR}/files/string_pool.h DESTINATION SDK/include/files)
# The INI library: settings files, and the options document "OPT" lends.
install(FILES ${CMAKE_SOURCE_DIR}/ini/ini_file.h ${CMAKE_SOURCE_DIR}/ini/ini_arena.h
  ${CMAKE_SOURCE_DIR}/ini/ini_name_index.h ${CMAKE_SOURCE_DIR}/ini/ini_key_names.h DESTINATION SDK/include/ini)
install(FILES ${CMAKE_SOURCE_DIR}/shell/shell_operators.cpp DESTINATION SDK/src)
# The same sources for a module of another compiler (sdk/VarnSdk.cmake builds
# them with the module's own): SDK\src\shell, ini, files, shell_base, platform.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/shell ${CMAKE_SOURCE_DIR}/ini ${CMAKE_SOURCE_DIR}/files
  ${CMAKE_SOURCE_DIR}/shell_base ${CMAKE_SOURCE_DIR}/platform
  DESTINATION SDK/src FILES_MATCHING PATTERN "*.cpp" PATTERN "*.h")
install(FILES ${CMAKE_SOURCE_DIR}/sdk/VarnSdk.cmake DESTINATION SDK/cmake)
# Each library once, each above the ones it uses: shell, ini, files, shell_base, platform.
install(TARGETS varn_shell varn_ini varn_files varn_shell_base varn_platform ARCHIVE DESTINATION SDK/lib)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/mingw-i686-posix.cmake ${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64-posix.cmake
  DESTINATION SDK/cmake)
# The toolchain of this package's width, which the starter takes by itself.
install(FILES ${CMAKE_TOOLCHAIN_FILE} DESTINATION SDK/cmake RENAME varn-toolchain.cmake)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/sdk/example-module DESTINATION SDK)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Varn)
set(CPACK_PACKAGE_VERSION 2.19.7)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_PACKAGE_FILE_NAME Varn-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
