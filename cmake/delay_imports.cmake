# Delay-load import libraries for system DLLs that are not known DLLs everywhere (and
# whose own imports may not be): a program linked with them imports only KERNEL32 and
# the C runtime, restricts its DLL search as its first act, and takes the rest from the
# system folder on first use, never from a file planted beside it.
#
# suite_delay_imports(target dll...) makes lib<dll>.a in a folder of their own from the
# toolchain's import library (the function names it imports) and puts that folder first
# in the target's library search, so every -l<dll> of the target and of the libraries it
# links resolves to the delay-load one.
set(SUITE_DELAY_IMPORTS_DIR ${CMAKE_BINARY_DIR}/delay_imports)

function(suite_delay_imports target)
  foreach(dll IN LISTS ARGN)
    set(out ${SUITE_DELAY_IMPORTS_DIR}/lib${dll}.a)
    if(NOT TARGET delay_import_${dll})
      find_library(SUITE_IMPORT_LIB_${dll} NAMES lib${dll}.a REQUIRED)
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPORT=${SUITE_IMPORT_LIB_${dll}}
          -DDLL=${dll} -DOUT=${out} -DPROCESSOR=${CMAKE_SYSTEM_PROCESSOR} -P ${SUITE_ROOT}/cmake/delay_import_lib.cmake
        DEPENDS ${SUITE_ROOT}/cmake/delay_import_lib.cmake ${SUITE_IMPORT_LIB_${dll}}
        COMMENT "Delay-load import library for ${dll}.dll" VERBATIM)
      add_custom_target(delay_import_${dll} DEPENDS ${out})
    endif()
    add_dependencies(${target} delay_import_${dll})
  endforeach()
  target_link_directories(${target} BEFORE PRIVATE ${SUITE_DELAY_IMPORTS_DIR})
  target_link_libraries(${target} PRIVATE delayimp)
endfunction()
