# The replay engine's and the mouse handling's tests run in the control's test program, without its widget.
if(TARGET talvoboard_tests)
    target_sources(talvoboard_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ReplayTest.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/TargetMouseTest.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/TargetMouseFilterTest.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/TargetMouseBindingTest.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/TargetReplayBindingTest.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/TargetInteractionTest.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/TargetReplayDrawingTest.cpp)
    target_link_libraries(talvoboard_tests PRIVATE platform_ui platform_kernel platform_time)
endif()
