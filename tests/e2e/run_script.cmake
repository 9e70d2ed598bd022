# Runs tavik-host --script in a scratch folder and compares what it printed with the expected
# transcript, and its exit status with the expected one.
#   HOST, ADDIN, SCRIPT, WORK     the program, the plugin, the script, the scratch folder
#   DOCS                          |-list of documents copied into WORK and opened (last active)
#   EXPECTED                      expected standard output (optional)
#   EXPECT_CODE                   expected exit status (default 0)
#   EXPECT_STDERR                 a regular expression standard error must match (optional)
#   ADDIN_FILES                   |-list of files put beside a private copy of the plugin in
#                                 WORK/addin (when set, that copy is loaded instead of ADDIN)
#   CONFIG_FILES                  |-list of FOLDER=FILE: FILE is copied into WORK/FOLDER
#   CONFIG_ENV                    |-list of NAME=VALUE for the host's environment, "%WORK%"
#                                 standing for WORK; by default no configuration folder of the
#                                 machine or the user is searched
#   EXPECT_FILE                   NAME|REGEX: the file WORK/NAME must match REGEX afterwards
# With TAVIK_E2E_UPDATE=1 in the environment the transcript is written to EXPECTED instead.
string(REPLACE "|" ";" DOCS "${DOCS}")
if(NOT DEFINED EXPECT_CODE)
  set(EXPECT_CODE 0)
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(args)
foreach(doc IN LISTS DOCS)
  get_filename_component(name "${doc}" NAME)
  file(COPY "${doc}" DESTINATION "${WORK}")
  list(APPEND args "${WORK}/${name}")
endforeach()
set(plugin "${ADDIN}")
if(DEFINED ADDIN_FILES)
  string(REPLACE "|" ";" ADDIN_FILES "${ADDIN_FILES}")
  file(MAKE_DIRECTORY "${WORK}/addin")
  file(COPY "${ADDIN}" DESTINATION "${WORK}/addin")
  foreach(f IN LISTS ADDIN_FILES)
    if(f)
      file(COPY "${f}" DESTINATION "${WORK}/addin")
    endif()
  endforeach()
  get_filename_component(pluginName "${ADDIN}" NAME)
  set(plugin "${WORK}/addin/${pluginName}")
endif()

set(ENV{TAVIK_CONFIG_DIR} "")
set(ENV{XDG_CONFIG_HOME} "${WORK}/no-xdg-home")
set(ENV{XDG_CONFIG_DIRS} "${WORK}/no-xdg")
if(DEFINED CONFIG_FILES)
  string(REPLACE "|" ";" CONFIG_FILES "${CONFIG_FILES}")
  foreach(entry IN LISTS CONFIG_FILES)
    string(REGEX MATCH "^([^=]*)=(.*)$" _ "${entry}")
    file(MAKE_DIRECTORY "${WORK}/${CMAKE_MATCH_1}")
    file(COPY "${CMAKE_MATCH_2}" DESTINATION "${WORK}/${CMAKE_MATCH_1}")
  endforeach()
endif()
if(DEFINED CONFIG_ENV)
  string(REPLACE "|" ";" CONFIG_ENV "${CONFIG_ENV}")
  foreach(entry IN LISTS CONFIG_ENV)
    string(REPLACE "%WORK%" "${WORK}" entry "${entry}")
    string(REGEX MATCH "^([^=]*)=(.*)$" _ "${entry}")
    set(ENV{${CMAKE_MATCH_1}} "${CMAKE_MATCH_2}")
  endforeach()
endif()

execute_process(
  COMMAND "${HOST}" --addin "${plugin}" --settings "${WORK}/settings.sqlite" --script "${SCRIPT}" ${args}
  WORKING_DIRECTORY "${WORK}"
  RESULT_VARIABLE code
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 120)
file(WRITE "${WORK}/stdout.txt" "${out}")
file(WRITE "${WORK}/stderr.txt" "${err}")

if(DEFINED EXPECTED AND "$ENV{TAVIK_E2E_UPDATE}" STREQUAL "1")
  file(WRITE "${EXPECTED}" "${out}")
  message(STATUS "wrote ${EXPECTED}")
elseif(DEFINED EXPECTED)
  file(READ "${EXPECTED}" want)
  if(NOT out STREQUAL want)
    execute_process(COMMAND diff -u "${EXPECTED}" "${WORK}/stdout.txt" OUTPUT_VARIABLE delta)
    message(FATAL_ERROR "transcript differs from ${EXPECTED} (kept in ${WORK}):\n${delta}\nstderr:\n${err}")
  endif()
endif()
if(NOT code STREQUAL "${EXPECT_CODE}")
  message(FATAL_ERROR "exit status ${code}, expected ${EXPECT_CODE}\nstderr:\n${err}")
endif()
if(DEFINED EXPECT_STDERR AND NOT err MATCHES "${EXPECT_STDERR}")
  message(FATAL_ERROR "standard error does not match \"${EXPECT_STDERR}\":\n${err}")
endif()
if(DEFINED EXPECT_FILE)
  string(REPLACE "|" ";" EXPECT_FILE "${EXPECT_FILE}")
  list(GET EXPECT_FILE 0 fileName)
  list(GET EXPECT_FILE 1 fileRegex)
  file(READ "${WORK}/${fileName}" written)
  if(NOT written MATCHES "${fileRegex}")
    message(FATAL_ERROR "${WORK}/${fileName} does not match \"${fileRegex}\":\n${written}")
  endif()
endif()
