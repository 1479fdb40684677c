# Reads a module built with the MSVC ABI (the probe of tests/host/probe) from
# its files alone: InitDLL and ExitDLL are exported undecorated, and on i686
# the interface operations pop their own arguments (thiscall), a call into a
# host interface passes the object in ecx and leaves the stack to the callee,
# and a cdecl callback leaves its arguments to its caller.
#   cmake -DREADOBJ=llvm-readobj -DOBJDUMP=llvm-objdump -DDLL=x.dll -DOBJECT=x.obj -DARCH=i686 -P check_msvc_module.cmake
cmake_minimum_required(VERSION 3.16)
set(problems "")

execute_process(COMMAND ${READOBJ} --coff-exports ${DLL} OUTPUT_VARIABLE exports RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${READOBJ} cannot read ${DLL}")
endif()
string(REGEX MATCHALL "Name: [^\n]+" names "${exports}")
foreach(name InitDLL ExitDLL)
  if(NOT "Name: ${name}" IN_LIST names)
    string(APPEND problems "  ${name} is not exported under its plain name (exports: ${names})\n")
  endif()
endforeach()

if(ARCH STREQUAL "i686")
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${OBJECT} OUTPUT_VARIABLE code RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${OBJECT}")
  endif()
  string(REPLACE ";" "," code "${code}")
  string(REGEX REPLACE "\n\n([0-9a-f]+ <)" "\n;\\1" code "${code}")
  # Functions by a part of their decorated name, and the return they must end with.
  set(expected "?abiMix@|retl\t\\$20" "?abiScale@|retl\t\\$8" "?abiCopy@|retl\t\\$12"
               "?fltRun@|retl\t\\$8" "?OnMessage@|retl\n")
  foreach(pair ${expected})
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 name)
    list(GET pair 1 return)
    set(found FALSE)
    foreach(function ${code})
      string(FIND "${function}" "<${name}" at)
      if(at EQUAL 0 OR at GREATER 0 AND at LESS 12)
        set(found TRUE)
        if(NOT function MATCHES "${return}")
          string(APPEND problems "  ${name} does not end in '${return}':\n${function}\n")
        endif()
      endif()
    endforeach()
    if(NOT found)
      string(APPEND problems "  no function ${name} in ${OBJECT}\n")
    endif()
  endforeach()
  # InitDLL calls the registry's GetInterface (slot 2): object in ecx, two
  # arguments pushed, nothing taken off the stack after the call.
  foreach(function ${code})
    if(function MATCHES "^[0-9a-f]+ <_InitDLL>")
      if(NOT function MATCHES "movl\t%e[a-z][a-z], %ecx\n[^\n]*pushl[^\n]*\n[^\n]*pushl[^\n]*\n[^\n]*calll\t\\*8\\(%e[a-z][a-z]\\)\n([^\n]*)")
        string(APPEND problems "  InitDLL does not call GetInterface as thiscall:\n${function}\n")
      elseif(CMAKE_MATCH_1 MATCHES "addl\t\\$[0-9]+, %esp")
        string(APPEND problems "  InitDLL takes GetInterface's arguments off the stack itself:\n${function}\n")
      endif()
    endif()
  endforeach()
endif()

if(problems)
  message(FATAL_ERROR "The MSVC-ABI module ${DLL} breaks the binary contract:\n${problems}")
endif()
message(STATUS "${DLL}: exports and (on i686) calling conventions as the contract says")
