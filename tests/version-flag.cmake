# cmake -DPROGRAM=<ic or ic.exe> [-DEMULATOR=<wine>] -DVERSION=<x.y.z> -DWORK=<folder>
#       -P version-flag.cmake
#
# "ic --ic-version" prints the version of project() and does nothing else: no
# reader opened, no event log, nothing written in the working folder or on
# the fixed drives. The same setup with one more word on the command line
# does write them, which shows that the checks would see it.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/run)
set(ENV{IC_UI} record)
unset(ENV{IC_UI_LOG})
unset(ENV{IC_UI_ANSWERS})
# The simulated reader's files by bare names, in the working folder: a POSIX
# path would mean nothing to the Windows program under Wine.
set(ENV{CSHIS_SIM} cshis-sim.json)
set(ENV{CSHIS_SIM_LOG} cshis-sim.log)
set(ENV{IC_DRIVE_ROOT} ${WORK}/run/drives)

set(failures "")

function(run_ic out_var err_var rc_var)
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${ARGN} WORKING_DIRECTORY ${WORK}/run
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
  set(${rc_var} "${rc}" PARENT_SCOPE)
endfunction()

run_ic(out err rc --ic-version)
string(REPLACE "." "\\." pattern "${VERSION}")
if(NOT rc STREQUAL "0")
  string(APPEND failures "--ic-version ended with ${rc}\n")
endif()
if(NOT out MATCHES "^${pattern}\r?\n$")
  string(APPEND failures "--ic-version printed [${out}], not the version ${VERSION} alone\n")
endif()
if(NOT err STREQUAL "")
  string(APPEND failures "--ic-version wrote on standard error: [${err}]\n")
endif()
file(GLOB_RECURSE left LIST_DIRECTORIES true RELATIVE ${WORK}/run ${WORK}/run/*)
if(left)
  string(APPEND failures "--ic-version left files behind: ${left}\n")
endif()

# Only the exact command line is the version: with a further word it is an
# ordinary run, which opens the reader and keeps its event log.
run_ic(out err rc --ic-version /x)
if(out MATCHES "${pattern}")
  string(APPEND failures "\"--ic-version /x\" printed the version\n")
endif()
if(NOT EXISTS ${WORK}/run/ui.log)
  string(APPEND failures "\"--ic-version /x\" wrote no event log: the checks above see nothing\n")
else()
  file(READ ${WORK}/run/ui.log log)
  if(NOT log MATCHES "exit\t0\r?\n$")
    string(APPEND failures "\"--ic-version /x\": the event log does not end with exit 0: [${log}]\n")
  endif()
endif()
if(NOT EXISTS ${WORK}/run/cshis-sim.log)
  string(APPEND failures "\"--ic-version /x\" did not open the reader\n")
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
file(REMOVE_RECURSE ${WORK})
