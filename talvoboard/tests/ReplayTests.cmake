# Tests of the replay engine and the mouse handling, which run without the control's widget.
talvo_add_test(talvoboard_replay_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ReplayTestMain.cpp ${CMAKE_CURRENT_LIST_DIR}/ReplayTest.cpp
    LIBS talvoboard talvodata platform_ui platform_kernel platform_time)
