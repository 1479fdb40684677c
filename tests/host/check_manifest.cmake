# Finds the application manifest of a program (resource type 24, id 1) in its
# PE resource directory as objdump -p lists it, reads its bytes from the file
# and fails unless it declares system DPI awareness, every supportedOS id from
# Vista to Windows 10/11 and version 6 of the common controls.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump cannot read ${PROGRAM}")
endif()

# The resource tree is listed depth first: the type entry, then its names,
# then each name's languages and leaf (data address and size).
string(FIND "${dump}" "   Entry: ID: 0x000018," type_at)
if(type_at EQUAL -1)
  message(FATAL_ERROR "${PROGRAM} has no manifest resource (type 24)")
endif()
string(SUBSTRING "${dump}" ${type_at} -1 subtree)
string(REGEX REPLACE "\n[0-9a-f]+   Entry:.*" "" subtree "${subtree}")  # up to the next type
if(NOT subtree MATCHES "\n[0-9a-f]+     Entry: ID: 0x000001,")
  message(FATAL_ERROR "${PROGRAM}'s manifest resource is not id 1")
endif()
if(NOT subtree MATCHES "Leaf: Addr: 0x([0-9a-f]+), Size: 0x([0-9a-f]+)")
  message(FATAL_ERROR "${PROGRAM}'s manifest resource has no data")
endif()
set(address ${CMAKE_MATCH_1})
set(size ${CMAKE_MATCH_2})

# Data addresses are relative to the image: the .rsrc section's header gives
# its own address (image base included) and file offset.
if(NOT dump MATCHES "\nImageBase[ \t]+([0-9a-f]+)")
  message(FATAL_ERROR "no image base in ${PROGRAM}")
endif()
set(base ${CMAKE_MATCH_1})
execute_process(COMMAND ${OBJDUMP} -h ${PROGRAM} OUTPUT_VARIABLE sections)
if(NOT sections MATCHES "\\.rsrc +[0-9a-f]+ +([0-9a-f]+) +[0-9a-f]+ +([0-9a-f]+)")
  message(FATAL_ERROR "no .rsrc section in ${PROGRAM}")
endif()
math(EXPR offset "0x${address} - (0x${CMAKE_MATCH_1} - 0x${base}) + 0x${CMAKE_MATCH_2}")
math(EXPR length "0x${size}")
file(READ ${PROGRAM} manifest OFFSET ${offset} LIMIT ${length})

set(expected
  "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"
  "{e2011457-1546-43c5-a5fe-008deee3d3f0}"  # Vista
  "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"  # 7
  "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"  # 8
  "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"  # 8.1
  "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"  # 10 and 11
  "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"")
foreach(text ${expected})
  string(FIND "${manifest}" "${text}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${PROGRAM}'s manifest lacks ${text}:\n${manifest}")
  endif()
endforeach()
message(STATUS "${PROGRAM} carries its manifest (${length} bytes at ${offset})")
