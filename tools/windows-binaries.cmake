# cmake -DOBJDUMP=<objdump> -DBIN=<folder of ic.exe> -DABI=<card/cshis_abi.h>
#       -P windows-binaries.cmake
#
# What a clinic's machine needs of the Windows programs: ic.exe and cshis.dll
# import nothing but Windows' own DLLs (the C++ runtime is linked in), and
# cshis.dll exports every function of the card library by its bare name, as
# the program resolves it and as the insurer's library has it.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/pe.cmake)
set(failures "")

foreach(name ic.exe cshis.dll)
  pe_dump(${OBJDUMP} ${BIN}/${name} dump)
  pe_foreign_imports("${dump}" foreign)
  foreach(dll IN LISTS foreign)
    string(APPEND failures "${name} needs ${dll}, which Windows does not have\n")
  endforeach()
  if(name STREQUAL "cshis.dll")
    pe_exports("${dump}" exports)
  endif()
endforeach()

foreach(e IN LISTS exports)
  if(e MATCHES "@")
    string(APPEND failures "cshis.dll exports the decorated name ${e}\n")
  endif()
endforeach()

file(READ ${ABI} abi)
string(REGEX MATCHALL "X\\((cs|his|hpc)[A-Za-z0-9]+," functions "${abi}")
list(LENGTH functions count)
if(count LESS 50)
  string(APPEND failures "found only ${count} functions in ${ABI}\n")
endif()
foreach(f IN LISTS functions)
  string(REGEX REPLACE "^X\\(|,$" "" f "${f}")
  if(NOT f IN_LIST exports)
    string(APPEND failures "cshis.dll does not export ${f}\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "ic.exe and cshis.dll: ${count} functions exported, only Windows' own DLLs imported")
