if(NOT TARGET talvodata_tests)
    return()
endif()

# The practice-document test that reads our files with Debian's python3-olefile. An interpreter found first on the
# PATH (pyenv, a venv) may not see that package, so the system one is tried as well.
find_package(Python3 COMPONENTS Interpreter)
set(talvodataOlefilePythons ${Python3_EXECUTABLE} /usr/bin/python3)
set(talvodataOlefileFound FALSE)
foreach(python IN LISTS talvodataOlefilePythons)
    execute_process(COMMAND ${python} -c "import olefile" RESULT_VARIABLE olefileMissing OUTPUT_QUIET ERROR_QUIET)
    if(olefileMissing EQUAL 0)
        target_compile_definitions(talvodata_tests PRIVATE
            TALVO_PYTHON3="${python}"
            TALVO_DOCUMENT_OLEFILE_CHECK="${CMAKE_CURRENT_LIST_DIR}/document_olefile_check.py")
        set(talvodataOlefileFound TRUE)
        break()
    endif()
endforeach()
if(NOT talvodataOlefileFound)
    message(WARNING "No Python 3 with olefile (Debian: python3-olefile): practice documents go unchecked by it")
endif()
