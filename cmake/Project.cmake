# Build settings and helpers shared by every folder.

set(SUITE_ROOT ${CMAKE_CURRENT_SOURCE_DIR})
set(SUITE_NATIVE OFF)
if(NOT WIN32)
  set(SUITE_NATIVE ON)
endif()

add_library(suite_options INTERFACE)
target_include_directories(suite_options INTERFACE ${SUITE_ROOT})
target_compile_options(suite_options INTERFACE -Wall -Wextra $<$<BOOL:${SUITE_WERROR}>:-Werror>)
if(WIN32)
  target_compile_definitions(suite_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  target_compile_options(suite_options INTERFACE -Wno-cast-function-type)
endif()

if(SUITE_NATIVE AND SUITE_SANITIZE)
  set(SUITE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(suite_options INTERFACE ${SUITE_SANITIZER_FLAGS})
  target_link_options(suite_options INTERFACE ${SUITE_SANITIZER_FLAGS})
endif()

# GoogleTest from the distribution's sources, built with this tree's compiler.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(SUITE_NATIVE AND SUITE_SANITIZE)
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE ${SUITE_SANITIZER_FLAGS})
  endforeach()
endif()

set(SUITE_RESULTS_DIR ${CMAKE_BINARY_DIR}/test-results)
file(MAKE_DIRECTORY ${SUITE_RESULTS_DIR})

# suite_test(NAME SOURCES ... LIBS ... [LABELS ...])
# A GoogleTest executable, run by CTest (under Wine in the Windows tree). Each run
# leaves a result file that the test script adds up.
function(suite_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE suite_options gmock gtest_main ${T_LIBS})
  if(WIN32)
    target_link_libraries(${name} PRIVATE -Wl,--start-group ole32 oleaut32 uuid user32 gdi32 advapi32 shell32 comctl32 -Wl,--end-group)
  endif()
  if(SUITE_NATIVE OR SUITE_RUN_TESTS)
    set(result ${SUITE_RESULTS_DIR}/${name}.xml)
    if(WIN32)
      # Wine maps drive Z: to the Unix root.
      string(REPLACE "/" "\\" result "Z:${result}")
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${result})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()

# suite_fuzzer(NAME SOURCES ... LIBS ...): a libFuzzer target (native clang builds
# only), run briefly as a test over its seed corpus.
function(suite_fuzzer name)
  cmake_parse_arguments(F "" "RUNS" "SOURCES;LIBS" ${ARGN})
  if(NOT SUITE_NATIVE OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  if(NOT F_RUNS)
    set(F_RUNS 20000)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE suite_options ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  # Inputs kept in <name>_corpus beside the target run first; what the run finds goes to
  # the build tree, never into the sources.
  set(corpus "")
  if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${name}_corpus)
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_found ${CMAKE_CURRENT_SOURCE_DIR}/${name}_corpus)
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${name}_found)
  endif()
  add_test(NAME ${name} COMMAND ${name} ${corpus} -runs=${F_RUNS} -seed=1 -max_len=4096)
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# suite_test_uses_server(NAME): the Windows test NAME loads the built VelmoraThumbCtl.dll
# from beside its program (copied there before it is built), and, as its registration
# writes HKEY_CLASSES_ROOT of the shared prefix, runs as the only such test at a time.
function(suite_test_uses_server name)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/VelmoraThumbCtl.dll)
  add_custom_command(
    OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:VelmoraThumbCtl> ${copy}
    DEPENDS VelmoraThumbCtl
    VERBATIM)
  add_custom_target(${name}_library DEPENDS ${copy})
  add_dependencies(${name} ${name}_library)
  if(TEST ${name})
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK velmora_registration)
  endif()
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/delay_imports.cmake)
