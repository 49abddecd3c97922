# Registers the program for a fresh user and checks the desktop entry it writes with desktop-file-validate.
# Run as: cmake -DPROGRAM=<talvodesk> -DVALIDATE=<desktop-file-validate> -DWORK=<scratch folder> -P this file
if(NOT VALIDATE)
    message(FATAL_ERROR "desktop-file-validate was not found: install desktop-file-utils (scripts/deps.sh)")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK} XDG_DATA_HOME=${WORK}/data XDG_CONFIG_HOME=${WORK}/config
            XDG_RUNTIME_DIR=${WORK}/run QT_QPA_PLATFORM=offscreen ${PROGRAM} /Register
    RESULT_VARIABLE registered)
if(NOT registered EQUAL 0)
    message(FATAL_ERROR "talvodesk /Register ended with ${registered}")
endif()
set(entry "${WORK}/data/applications/talvodesk.desktop")
execute_process(COMMAND ${VALIDATE} "${entry}" RESULT_VARIABLE valid OUTPUT_VARIABLE said ERROR_VARIABLE said)
# Hints are advice; errors and warnings are not.
if(NOT valid EQUAL 0 OR said MATCHES "error:|warning:")
    file(READ "${entry}" text)
    message(FATAL_ERROR "${entry} does not validate:\n${said}\n${text}")
endif()
if(NOT EXISTS "${WORK}/data/icons/hicolor/scalable/apps/talvodesk.svg")
    message(FATAL_ERROR "Register installed no icon")
endif()
file(REMOVE_RECURSE "${WORK}")
