# Builds Varn modules from the SDK with either compiler: mingw-w64 gcc, or
# Microsoft's (cl, or clang-cl in its place). The SDK's sources (SDK\src: the
# service access layer, the INI library and what they build on) are compiled
# with the module's own compiler into one static library, so nothing of
# another compiler's C++ runtime is linked in.
#
#   include(<SDK>/cmake/VarnSdk.cmake)
#   varn_sdk_add_module(MyModule my_module.cpp ...)
#
# gives MyModule.dll exporting InitDLL and ExitDLL undecorated (VARN_EXPORT,
# which is __declspec(dllexport), is all the MSVC path needs).
# VARN_SDK_INCLUDE_DIR and VARN_SDK_SOURCE_DIR may name other folders (the
# Varn source tree itself: include and the tree's root).
include_guard(GLOBAL)

get_filename_component(varn_sdk_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(VARN_SDK_INCLUDE_DIR "${varn_sdk_root}/include" CACHE PATH "The SDK's headers (varn, shell, ini, files, shell_base)")
set(VARN_SDK_SOURCE_DIR "${varn_sdk_root}/src" CACHE PATH "The SDK's sources (shell, ini, files, shell_base, platform)")

function(varn_sdk_library)
  if(TARGET varn_sdk)
    return()
  endif()
  set(dir ${VARN_SDK_SOURCE_DIR})
  file(GLOB sources ${dir}/shell/*.cpp ${dir}/ini/*.cpp ${dir}/files/*.cpp ${dir}/shell_base/*.cpp ${dir}/platform/*.cpp)
  # Each module compiles the operators into itself; the posix files of the OS
  # layer are not for Windows.
  list(FILTER sources EXCLUDE REGEX "/(shell_operators|[a-z_]*_posix)\\.cpp$")
  add_library(varn_sdk STATIC ${sources})
  target_include_directories(varn_sdk PUBLIC ${VARN_SDK_INCLUDE_DIR} ${VARN_SDK_SOURCE_DIR})
  target_compile_features(varn_sdk PUBLIC cxx_std_17)
  target_link_libraries(varn_sdk PUBLIC user32 winmm)
  if(MSVC)
    target_compile_definitions(varn_sdk PUBLIC _CRT_SECURE_NO_WARNINGS NOMINMAX)
    target_compile_options(varn_sdk PRIVATE /W3)
  else()
    target_compile_options(varn_sdk PRIVATE -Wall -Wextra)
  endif()
endfunction()

# varn_sdk_add_module(NAME sources...)
function(varn_sdk_add_module name)
  varn_sdk_library()
  add_library(${name} SHARED ${ARGN} ${VARN_SDK_SOURCE_DIR}/shell/shell_operators.cpp)
  set_target_properties(${name} PROPERTIES PREFIX "")
  target_link_libraries(${name} PRIVATE varn_sdk)
  if(MSVC)
    # The static runtime: the module needs nothing but system DLLs.
    set_property(TARGET ${name} varn_sdk PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  else()
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
  endif()
endfunction()
