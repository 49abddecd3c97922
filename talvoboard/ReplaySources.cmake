# The replay engine and the mouse handling of the target control, with their bindings to it.
target_sources(talvoboard PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Replay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TargetMouse.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TargetMouseBinding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TargetMouseFilter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TargetReplayBinding.cpp
)
target_link_libraries(talvoboard PRIVATE platform_ui platform_kernel platform_time)
