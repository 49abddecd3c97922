# The replay engine and the mouse handling of the target control.
target_sources(talvoboard PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Replay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TargetMouse.cpp
)
target_link_libraries(talvoboard PRIVATE platform_ui platform_kernel platform_time)
