# The control's drawing, input and persisted form, without the COM object.
# thumbctl_view_core is portable (tested natively); thumbctl_view adds the window.
add_library(thumbctl_view_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/placement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/view_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/persist_stream.cpp
)
target_link_libraries(thumbctl_view_core PUBLIC suite_options)

if(WIN32)
  add_library(thumbctl_view STATIC
    ${CMAKE_CURRENT_LIST_DIR}/control_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/timing_log.cpp
  )
  target_link_libraries(thumbctl_view PUBLIC thumbctl_view_core fw_core user32 gdi32 shell32)
endif()
