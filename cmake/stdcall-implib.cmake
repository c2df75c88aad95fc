# cmake -DDEF=<linker's export list> -DDLL=<dll name> -DIMPLIB=<import library>
#       -DDLLTOOL=<dlltool> -P stdcall-implib.cmake
#
# A DLL linked with --kill-at exports "csOpenCom" rather than "csOpenCom@4", but
# the import library the linker writes then lacks the decorated names that
# __stdcall callers refer to. This rebuilds it from the linker's --output-def
# list ("csOpenCom = csOpenCom@4"), each decorated name importing the bare one.
file(STRINGS ${DEF} lines)
set(out "LIBRARY ${DLL}\nEXPORTS\n")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]+[A-Za-z0-9_]+ = ([A-Za-z0-9_]+@[0-9]+)")
    string(APPEND out "    ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^[ \t]+([A-Za-z0-9_]+)")
    string(APPEND out "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
file(WRITE ${DEF}.import ${out})
execute_process(COMMAND ${DLLTOOL} -k -D ${DLL} -d ${DEF}.import -l ${IMPLIB}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dlltool failed for ${DLL}")
endif()
