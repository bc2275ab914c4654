# The thumbnail control wrapper (Windows only): hosts the control and drives it through
# its dispatch interface.
add_library(app_thumb_wrapper STATIC thumb_ctl_wrapper.cpp)
target_link_libraries(app_thumb_wrapper PUBLIC fw_ax)
