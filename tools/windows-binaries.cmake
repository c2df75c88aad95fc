# cmake -DOBJDUMP=<objdump> -DBIN=<folder of ic.exe> -DABI=<card/cshis_abi.h>
cmake_minimum_required(VERSION 3.25)
#       -P windows-binaries.cmake
#
# What a clinic's machine needs of the Windows programs: ic.exe and cshis.dll
# import nothing but Windows' own DLLs (the C++ runtime is linked in), and
# cshis.dll exports every function of the card library by its bare name, as
# the program resolves it and as the insurer's library has it.

# DLLs every supported Windows has.
set(system_dlls ADVAPI32 COMCTL32 COMDLG32 GDI32 KERNEL32 MPR MSVCRT OLE32 OLEAUT32 SHELL32
    SHLWAPI USER32 VERSION WINMM WINSPOOL.DRV WS2_32)

function(pe_dump file out)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} is missing")
  endif()
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${file} failed")
  endif()
  set(${out} "${dump}" PARENT_SCOPE)
endfunction()

set(failures "")

foreach(name ic.exe cshis.dll)
  pe_dump(${BIN}/${name} dump)
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  foreach(line IN LISTS imports)
    string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOUPPER "${dll}" upper)
    string(REGEX REPLACE "\\.DLL$" "" upper "${upper}")
    if(NOT upper IN_LIST system_dlls)
      string(APPEND failures "${name} needs ${dll}, which Windows does not have\n")
    endif()
  endforeach()
endforeach()

# The export names: the lines of the name pointer table.
pe_dump(${BIN}/cshis.dll dump)
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n.*" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
set(exports "")
foreach(e IN LISTS entries)
  string(REGEX REPLACE "\\[ *[0-9]+\\] " "" e "${e}")
  string(STRIP "${e}" e)
  list(APPEND exports "${e}")
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
