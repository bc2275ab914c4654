# ActiveX hosting: the container window, event sinks and late-bound dispatch calls.
if(WIN32)
  add_library(fw_ax STATIC
    ax/control_host.cpp
    ax/event_sink.cpp
    ax/dispatch_call.cpp
  )
  target_link_libraries(fw_ax PUBLIC fw_com fw_core ole32 oleaut32 uuid user32)
endif()
