# Windows-only suites of the picture cache: run under Wine.
if(NOT WIN32)
  return()
endif()

# The test Susie plug-in, one source in several variants, next to the tests.
set(cache_plugin_variants good GOOD noinfo NO_INFO nosupported NO_SUPPORTED error ERROR crash CRASH hang HANG
    malformed MALFORMED)
set(cache_plugins)
while(cache_plugin_variants)
  list(POP_FRONT cache_plugin_variants name define)
  set(target cache_test_plugin_${name})
  add_library(${target} MODULE test_plugin.cpp)
  target_compile_definitions(${target} PRIVATE PLUGIN_${define} WIN32_LEAN_AND_MEAN)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${SUITE_WERROR}>:-Werror>)
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME vtest_${name} SUFFIX ".spi"
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  list(APPEND cache_plugins ${target})
endwhile()

add_library(cache_test_support STATIC cache_test_support.cpp photo_walk.cpp)
target_link_libraries(cache_test_support PUBLIC suite_options thumbctl_cache test_support psapi)

suite_test(cache_loading_tests
  SOURCES loading_test.cpp decoders_test.cpp
  LIBS cache_test_support thumbctl_cache test_support)
add_dependencies(cache_loading_tests ${cache_plugins})

# Large photos through one window within the memory budget (minutes under Wine).
suite_test(cache_memory_tests
  SOURCES memory_walk_test.cpp
  LIBS cache_test_support thumbctl_cache test_support)

# The cache through the built server library, copied beside the test program.
suite_test(cache_com_tests
  SOURCES picture_cache_com_test.cpp
  LIBS cache_test_support fw_com velmora_typelib)
suite_test_uses_server(cache_com_tests)
