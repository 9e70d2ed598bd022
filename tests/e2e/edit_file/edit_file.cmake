# tavik-host --edit FILE with a script acting in the editor it opens, one run per outcome:
#   Done           exit 0, the new value in the file, nothing on standard error
#   closed         exit 3, a line saying nothing was saved, the file byte for byte as before
#   left open      the same when the script ends with the editor open
#   missing file   exit 4, "<path>: no such file", and no editor (the script's lines never run)
#   garbled file   exit 4, "<path>: <fault>", the file left as it was
#   other DOCs     exit 2, a usage error
# HOST, ADDIN, SAMPLE, SCRIPTS (this folder), WORK (the scratch folder).
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(ENV{TAVIK_CONFIG_DIR} "")
set(ENV{XDG_CONFIG_HOME} "${WORK}/no-xdg-home")
set(ENV{XDG_CONFIG_DIRS} "${WORK}/no-xdg")

# Runs the host on FILE with SCRIPT; sets code and err in the caller.
function(edit file script)
  execute_process(
    COMMAND "${HOST}" --addin "${ADDIN}" --settings "${WORK}/settings.sqlite" --script "${script}" ${ARGN}
            --edit "${file}"
    WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE stderr TIMEOUT 120)
  set(code "${result}" PARENT_SCOPE)
  set(err "${stderr}" PARENT_SCOPE)
endfunction()

function(check what want_code err_regex)
  if(NOT code STREQUAL "${want_code}")
    message(FATAL_ERROR "${what}: exit status ${code}, expected ${want_code}\nstderr:\n${err}")
  endif()
  if(NOT err MATCHES "${err_regex}")
    message(FATAL_ERROR "${what}: standard error does not match \"${err_regex}\":\n${err}")
  endif()
endfunction()

# Qt's own notes about the session (XDG_RUNTIME_DIR) are not the program's output.
function(own_lines out)
  string(REGEX REPLACE "QStandardPaths:[^\n]*\n" "" rest "${err}")
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

file(COPY "${SAMPLE}" DESTINATION "${WORK}/done")
get_filename_component(name "${SAMPLE}" NAME)
edit("${WORK}/done/${name}" "${SCRIPTS}/done.script")
check("Done" 0 "^")
own_lines(rest)
if(NOT rest STREQUAL "")
  message(FATAL_ERROR "Done: the program said more than nothing:\n${err}")
endif()
file(READ "${WORK}/done/${name}" saved)
if(NOT saved MATCHES "\"Project\",[ \n]*\"P1234\"")
  message(FATAL_ERROR "Done: the file does not hold the new project number:\n${saved}")
endif()

file(COPY "${SAMPLE}" DESTINATION "${WORK}/closed")
file(SHA256 "${WORK}/closed/${name}" before)
edit("${WORK}/closed/${name}" "${SCRIPTS}/close.script")
check("closed" 3 "closed/${name}: closed without Done; nothing was saved")
file(SHA256 "${WORK}/closed/${name}" after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "closed: the file changed")
endif()
edit("${WORK}/closed/${name}" "${SCRIPTS}/left_open.script")
check("left open" 3 "closed/${name}: closed without Done; nothing was saved")
file(SHA256 "${WORK}/closed/${name}" after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "left open: the file changed")
endif()

edit("${WORK}/missing.sldprt" "${SCRIPTS}/done.script")
check("missing file" 4 "tavik-host: ${WORK}/missing.sldprt: no such file\n")
own_lines(rest)
if(rest MATCHES "done.script")
  message(FATAL_ERROR "missing file: the script ran:\n${err}")
endif()

file(WRITE "${WORK}/garbled.sldprt" "{\"type\": 1, \"title\": ")
edit("${WORK}/garbled.sldprt" "${SCRIPTS}/done.script")
check("garbled file" 4 "tavik-host: ${WORK}/garbled.sldprt: [^\n]+\n")
file(READ "${WORK}/garbled.sldprt" garbled)
if(NOT garbled STREQUAL "{\"type\": 1, \"title\": ")
  message(FATAL_ERROR "garbled file: the file changed:\n${garbled}")
endif()

edit("${WORK}/done/${name}" "${SCRIPTS}/done.script" "${WORK}/closed/${name}")
check("other documents" 2 "--edit opens one document")
