# e2e-freecad-edit: runs the script as run_script.cmake does, then has FreeCAD read back the
# document it saved. Without freecadcmd the read-back is skipped, saying so.
include(${CMAKE_CURRENT_LIST_DIR}/../run_script.cmake)
find_program(FREECADCMD NAMES freecadcmd FreeCADCmd)
if(NOT FREECADCMD)
  message(STATUS "SKIPPED: freecadcmd is not installed, so FreeCAD cannot read the saved document back")
  return()
endif()
# The saved file opens in Tavik again with the new values; its measures go to read_back.py.
execute_process(
  COMMAND "${HOST}" --addin "${plugin}" --settings "${WORK}/settings.sqlite"
          --script "${CMAKE_CURRENT_LIST_DIR}/reopen_block.script" "${WORK}/Block.FCStd"
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE code OUTPUT_VARIABLE reopened ERROR_VARIABLE err TIMEOUT 120)
file(WRITE "${WORK}/reopened.txt" "${reopened}")
if(NOT code STREQUAL "0")
  message(FATAL_ERROR "reopening ${WORK}/Block.FCStd in Tavik failed (${code}):\n${reopened}\n${err}")
endif()
set(ENV{TAVIK_FCSTD} "${WORK}/Block.FCStd")
set(ENV{TAVIK_FCSTD_ORIGINAL} "${DOCS}")
set(ENV{TAVIK_REOPENED} "${WORK}/reopened.txt")
execute_process(COMMAND "${FREECADCMD}" "${CMAKE_CURRENT_LIST_DIR}/read_back.py"
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
if(NOT code STREQUAL "0")
  message(FATAL_ERROR "FreeCAD's read-back of ${WORK}/Block.FCStd failed (${code}):\n${out}\n${err}")
endif()
string(REGEX MATCH "read back: [0-9]+ faults" summary "${out}")
message(STATUS "FreeCAD ${summary}")
