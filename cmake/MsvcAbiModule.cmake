# Modules built with the Microsoft C++ ABI: clang in MSVC mode stands in for
# Microsoft's compiler (which these machines do not have) and lld-link for its
# linker. Such a module is freestanding: it includes only <stdint.h> and
# <stddef.h> beside include/varn, has no C runtime, brings its own DLL entry
# point and links against the mingw-w64 import libraries of the system DLLs.
include_guard(GLOBAL)

find_program(VARN_MSVC_CLANG NAMES clang clang-14 REQUIRED)
find_program(VARN_LLD_LINK NAMES lld-link lld-link-14 REQUIRED)
find_program(VARN_LLVM_READOBJ NAMES llvm-readobj llvm-readobj-14 REQUIRED)
find_program(VARN_LLVM_OBJDUMP NAMES llvm-objdump llvm-objdump-14 REQUIRED)

# varn_msvc_target(OUT arch): the clang target of the MSVC ABI for an arch
# (i686 or x86_64).
function(varn_msvc_target out arch)
  set(${out} ${arch}-pc-windows-msvc PARENT_SCOPE)
endfunction()

# varn_add_msvc_module(NAME ARCH i686|x86_64 SOURCES ... [IMPORT_LIBS ...]
#                      [INCLUDES ...]): builds NAME.dll with the MSVC ABI into
# the current binary folder, exporting what the sources mark VARN_EXPORT.
# IMPORT_LIBS are full paths of import libraries (mingw's libkernel32.a, ...).
# Makes the custom target NAME; its file is ${CMAKE_CURRENT_BINARY_DIR}/NAME.dll.
function(varn_add_msvc_module name)
  cmake_parse_arguments(M "" "ARCH" "SOURCES;IMPORT_LIBS;INCLUDES" ${ARGN})
  varn_msvc_target(target ${M_ARCH})
  set(objects "")
  set(includes -I${CMAKE_SOURCE_DIR}/include -I${CMAKE_SOURCE_DIR})
  foreach(dir ${M_INCLUDES})
    list(APPEND includes -I${dir})
  endforeach()
  foreach(source ${M_SOURCES})
    get_filename_component(base ${source} NAME_WE)
    get_filename_component(source ${source} ABSOLUTE)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}_${base}.obj)
    add_custom_command(OUTPUT ${object}
      COMMAND ${VARN_MSVC_CLANG} --target=${target} -std=c++17 -ffreestanding -fno-rtti -fno-exceptions -fno-builtin
              -fno-stack-protector -O1 -Wall -Wextra -Werror ${includes} -c ${source} -o ${object}
              -MD -MF ${object}.d
      DEPENDS ${source} DEPFILE ${object}.d
      COMMENT "Compiling ${base} with the MSVC ABI (${target})" VERBATIM)
    list(APPEND objects ${object})
  endforeach()
  # i686 lld-link refuses mingw's import libraries unless SEH tables are off.
  set(arch_flags "")
  if(M_ARCH STREQUAL "i686")
    set(arch_flags /safeseh:no /machine:x86)
  else()
    set(arch_flags /machine:x64)
  endif()
  set(dll ${CMAKE_CURRENT_BINARY_DIR}/${name}.dll)
  add_custom_command(OUTPUT ${dll}
    COMMAND ${VARN_LLD_LINK} /dll /nodefaultlib /entry:_DllMainCRTStartup ${arch_flags}
            /out:${dll} ${objects} ${M_IMPORT_LIBS}
    DEPENDS ${objects} ${M_IMPORT_LIBS}
    COMMENT "Linking ${name}.dll with lld-link" VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${dll})
endfunction()

# varn_mingw_import_lib(OUT compiler name): the full path of a system DLL's
# import library (libkernel32.a, ...) as the mingw-w64 compiler finds it.
function(varn_mingw_import_lib out compiler name)
  execute_process(COMMAND ${compiler} -print-file-name=${name} OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${out} ${path} PARENT_SCOPE)
endfunction()
