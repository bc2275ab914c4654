# The plug-in under Wine, loaded from beside the test program as the library
# loads it from beside itself.
if(NOT WIN32)
  return()
endif()

suite_test(wic_plugin_tests
  SOURCES wic_plugin_test.cpp ${SUITE_ROOT}/thumbctl/wic/page_toucher.cpp
  LIBS cache_test_support thumbctl_cache test_support windowscodecs)

set(wic_plugin_copy ${CMAKE_CURRENT_BINARY_DIR}/VelmoraWic.spi)
add_custom_command(
  OUTPUT ${wic_plugin_copy}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:VelmoraWic> ${wic_plugin_copy}
  DEPENDS VelmoraWic
  VERBATIM)
add_custom_target(wic_plugin_tests_plugin DEPENDS ${wic_plugin_copy})
add_dependencies(wic_plugin_tests wic_plugin_tests_plugin)
