# What the checks of the Windows binaries read of a PE file, with objdump -p:
# the DLLs it imports that a clinic's Windows does not have, and the names it
# exports. Included by windows-binaries.cmake and declare-binaries.cmake.

# DLLs every supported Windows has.
set(windows_dlls ADVAPI32 COMCTL32 COMDLG32 GDI32 KERNEL32 MPR MSVCRT OLE32 OLEAUT32 SHELL32
    SHLWAPI USER32 VERSION WINMM WINSPOOL.DRV WS2_32)

# pe_dump(<objdump> <file> <out>): what objdump -p prints of <file>; a missing
# file or a failing objdump ends the check.
function(pe_dump objdump file out)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} is missing")
  endif()
  execute_process(COMMAND ${objdump} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${objdump} -p ${file} failed")
  endif()
  set(${out} "${dump}" PARENT_SCOPE)
endfunction()

# pe_foreign_imports(<dump> <out>): the imported DLLs not among windows_dlls.
function(pe_foreign_imports dump out)
  set(foreign "")
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  foreach(line IN LISTS imports)
    string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOUPPER "${dll}" upper)
    string(REGEX REPLACE "\\.DLL$" "" upper "${upper}")
    if(NOT upper IN_LIST windows_dlls)
      list(APPEND foreign ${dll})
    endif()
  endforeach()
  set(${out} ${foreign} PARENT_SCOPE)
endfunction()

# pe_exports(<dump> <out>): the names of the export name pointer table.
function(pe_exports dump out)
  # The table's lines only: the relocation list after it looks alike.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([ \t]*\\[ *[0-9]+\\] [^\n]+\n)*"
         table "${dump}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
  set(names "")
  foreach(e IN LISTS entries)
    string(REGEX REPLACE "\\[ *[0-9]+\\] " "" e "${e}")
    string(STRIP "${e}" e)
    list(APPEND names "${e}")
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()
