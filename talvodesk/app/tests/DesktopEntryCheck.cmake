# Registers the program for a fresh user, as if installed under a folder whose name holds '%' and '\', and checks
# the desktop entry it writes with desktop-file-validate; then asks xdg-mime what a practice is and what opens it.
# Run as: cmake -DPROGRAM=<talvodesk> -DVALIDATE=<desktop-file-validate> -DXDG_MIME=<xdg-mime>
#               -DSAMPLE=<a compound file> -DWORK=<scratch folder> -P this file
if(NOT VALIDATE)
    message(FATAL_ERROR "desktop-file-validate was not found: install desktop-file-utils (scripts/deps.sh)")
endif()
if(NOT XDG_MIME)
    message(FATAL_ERROR "xdg-mime was not found: install xdg-utils and shared-mime-info (scripts/deps.sh)")
endif()
file(REMOVE_RECURSE "${WORK}")
set(install "${WORK}/opt/100% talvo\\odd")
# CMake's own file commands read '\\' as a separator: the folder and the link are made by the system's tools. A
# hard link runs the same program from the odd folder, which is the path it registers.
execute_process(COMMAND mkdir -p "${install}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ln "${PROGRAM}" "${install}/talvodesk" RESULT_VARIABLE linked)
if(NOT linked EQUAL 0)
    message(FATAL_ERROR "cannot link the program into ${install}: ${linked}")
endif()
set(account HOME=${WORK} XDG_DATA_HOME=${WORK}/data XDG_CONFIG_HOME=${WORK}/config XDG_RUNTIME_DIR=${WORK}/run
            XDG_DATA_DIRS=/usr/local/share:/usr/share)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env ${account} QT_QPA_PLATFORM=offscreen "${install}/talvodesk" /Register
    RESULT_VARIABLE registered ERROR_VARIABLE notes)
if(NOT registered EQUAL 0 OR NOT notes STREQUAL "")
    message(FATAL_ERROR "talvodesk /Register ended with ${registered}: ${notes}")
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

# A practice is a compound file; its name, not its contents, makes it one of ours. The GNOME branch of xdg-mime
# reads the shared MIME database (its generic branch asks libmagic, which knows only the contents).
configure_file("${SAMPLE}" "${WORK}/practice.talvo" COPYONLY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${account} XDG_CURRENT_DESKTOP=GNOME ${XDG_MIME} query filetype
                        "${WORK}/practice.talvo" OUTPUT_VARIABLE type OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT type STREQUAL "application/x-talvo-practice")
    message(FATAL_ERROR "xdg-mime gives a practice the type '${type}'")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${account} ${XDG_MIME} query default application/x-talvo-practice
                OUTPUT_VARIABLE opener OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT opener STREQUAL "talvodesk.desktop")
    message(FATAL_ERROR "xdg-mime opens practices with '${opener}'")
endif()
file(REMOVE_RECURSE "${WORK}")
