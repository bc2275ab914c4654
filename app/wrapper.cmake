# The program's wrapper of the hosted thumbnail control (Windows only). Included by the
# program's CMakeLists.txt and by the tests; defined once.
include_guard(GLOBAL)
if(NOT WIN32)
  return()
endif()
add_library(app_thumb_ctl_wrapper STATIC ${CMAKE_CURRENT_LIST_DIR}/thumb_ctl_wrapper.cpp)
target_link_libraries(app_thumb_ctl_wrapper PUBLIC suite_options fw_com fw_core ole32 oleaut32 uuid user32)
