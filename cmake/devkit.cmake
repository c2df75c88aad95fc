# cmake -DBIN=<win32 bin folder> -DSOURCE=<project> -DVERSION=<x.y.z> -DOUT=<folder>
#       -P cmake/devkit.cmake
#
# Packs the kit of the clinic program's developers, OUT/ic-VERSION-win32-devkit.zip:
# ic.exe with the simulated libraries, icsim.exe, the example states and the
# developers' pages (docs/release.md). Never installed at a clinic: its name
# and its README say so. The clinic's own zip is cmake/release.cmake's.
cmake_minimum_required(VERSION 3.25)
foreach(v BIN SOURCE VERSION OUT)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "devkit.cmake: -D${v}=... is missing")
  endif()
endforeach()

set(programs ic.exe cshis.dll PEAT1511B01.dll nhi_eiiapi.dll unzip32.dll icsim.exe)
# The pages, by their place in the source tree (the README's links hold).
set(documents docs/simulator.md docs/declare-sim.md docs/files.md docs/results.md docs/forms.md)

set(name ic-${VERSION}-win32-devkit)
set(stage ${OUT}/${name})
set(zip ${OUT}/${name}.zip)
file(REMOVE_RECURSE ${stage})
file(REMOVE ${zip})
file(MAKE_DIRECTORY ${stage}/docs ${stage}/examples)

foreach(p IN LISTS programs)
  if(NOT EXISTS ${BIN}/${p})
    message(FATAL_ERROR "devkit.cmake: ${BIN}/${p} is missing (build the win32 preset first)")
  endif()
  file(COPY_FILE ${BIN}/${p} ${stage}/${p})
endforeach()

# Windows text: CR LF, whatever the checkout did to the line ends.
function(windows_text from to)
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()

windows_text(${SOURCE}/docs/devkit-README.md ${stage}/README.md)
windows_text(${SOURCE}/README.md ${stage}/ic-README.md)
foreach(doc IN LISTS documents)
  windows_text(${SOURCE}/${doc} ${stage}/${doc})
endforeach()
file(GLOB examples RELATIVE ${SOURCE}/sim/examples ${SOURCE}/sim/examples/*.json)
list(SORT examples)
set(exampleEntries "")
foreach(e IN LISTS examples)
  windows_text(${SOURCE}/sim/examples/${e} ${stage}/examples/${e})
  list(APPEND exampleEntries examples/${e})
endforeach()

# The README first: what a developer opens first.
set(entries README.md ${programs} ic-README.md ${documents} ${exampleEntries})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip -- ${entries}
  WORKING_DIRECTORY ${stage} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${zip})
  message(FATAL_ERROR "devkit.cmake: could not write ${zip}")
endif()
file(REMOVE_RECURSE ${stage})
message(STATUS "${zip}")
