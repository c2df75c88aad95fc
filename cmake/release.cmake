# cmake -DEXE=<ic.exe> -DSOURCE=<project> -DVERSION=<x.y.z> -DOUT=<folder>
#       -P cmake/release.cmake
#
# Packs the release a clinic installs, OUT/ic-VERSION-win32.zip: ic.exe, the
# Chinese install note and the documents of the files exchanged with the
# clinic program, as Windows text (CR LF). Never a simulated library: the
# insurer's own must be the one the program finds (docs/release.md).
cmake_minimum_required(VERSION 3.25)
foreach(v EXE SOURCE VERSION OUT)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "release.cmake: -D${v}=... is missing")
  endif()
endforeach()
if(NOT EXISTS ${EXE})
  message(FATAL_ERROR "release.cmake: ${EXE} is missing (build the win32 preset first)")
endif()

# The documents, by their place in the source tree; the zip keeps the places
# so that the README's links between them hold.
set(documents README.md docs/release.md docs/windows.md docs/upload.md docs/report.md
    docs/archive.md docs/diagnostics.md)

set(name ic-${VERSION}-win32)
set(stage ${OUT}/${name})
set(zip ${OUT}/${name}.zip)
file(REMOVE_RECURSE ${stage})
file(REMOVE ${zip})
file(MAKE_DIRECTORY ${stage}/docs)

file(COPY_FILE ${EXE} ${stage}/ic.exe ONLY_IF_DIFFERENT)

# Windows text: CR LF, whatever the checkout did to the line ends.
function(windows_text from to prefix)
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${prefix}${text}")
endfunction()

foreach(doc IN LISTS documents)
  windows_text(${SOURCE}/${doc} ${stage}/${doc} "")
endforeach()

# The install note is UTF-8 with a byte-order mark: Notepad shows it right on
# any Windows, whatever its code page. Its name is ASCII: the zip folders of
# Windows 7 read names in the system's code page and ignore the zip's UTF-8 mark.
string(ASCII 239 187 191 bom)
file(READ ${SOURCE}/docs/install-zh-TW.txt note)
string(REPLACE "@VERSION@" "${VERSION}" note "${note}")
file(WRITE ${stage}/install.tmp "${note}")
windows_text(${stage}/install.tmp ${stage}/INSTALL-zh-TW.txt "${bom}")
file(REMOVE ${stage}/install.tmp)

# ic.exe first, then the note: what a clinic looks for when it opens the zip.
set(entries ic.exe INSTALL-zh-TW.txt ${documents})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip -- ${entries}
  WORKING_DIRECTORY ${stage} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${zip})
  message(FATAL_ERROR "release.cmake: could not write ${zip}")
endif()
file(REMOVE_RECURSE ${stage})
message(STATUS "${zip}")
