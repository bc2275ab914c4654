# The in-process COM server VelmoraThumbCtl.dll: type library, resources, entry points
# and the class table. Windows only.
if(NOT WIN32)
  return()
endif()

# Type library: the IDL is kept in UTF-8 and converted to code page 932 for widl, so the
# half-width katakana help strings arrive as the ANSI bytes the system reads back.
if(NOT WIDL_EXECUTABLE)
  set(WIDL_EXECUTABLE x86_64-w64-mingw32-widl)
endif()
if(NOT WINE_WINDOWS_LIBDIR)
  set(WINE_WINDOWS_LIBDIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
endif()
set(VELMORA_IDL ${SUITE_ROOT}/resources/VelmoraThumbCtl.idl)
set(VELMORA_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${VELMORA_GENERATED})
set(VELMORA_TLB ${VELMORA_GENERATED}/VelmoraThumbCtl.tlb)
add_custom_command(
  OUTPUT ${VELMORA_GENERATED}/VelmoraThumbCtl.h ${VELMORA_GENERATED}/VelmoraThumbCtl_i.c ${VELMORA_TLB}
  COMMAND iconv -f UTF-8 -t CP932 -o ${VELMORA_GENERATED}/VelmoraThumbCtl.cp932.idl ${VELMORA_IDL}
  COMMAND ${WIDL_EXECUTABLE} ${WIDL_EXTRA_FLAGS} -I/usr/include/wine/wine/windows -L${WINE_WINDOWS_LIBDIR}
          -t -h -u
          -H ${VELMORA_GENERATED}/VelmoraThumbCtl.h
          -U ${VELMORA_GENERATED}/VelmoraThumbCtl_i.c
          -T ${VELMORA_TLB}
          ${VELMORA_GENERATED}/VelmoraThumbCtl.cp932.idl
  COMMAND python3 ${SUITE_ROOT}/scripts/repair-tlb-guids.py ${VELMORA_IDL} ${VELMORA_TLB}
  DEPENDS ${VELMORA_IDL} ${SUITE_ROOT}/scripts/repair-tlb-guids.py
  COMMENT "widl VelmoraThumbCtl.idl"
  VERBATIM)

# The generated interface declarations and identifiers, for every part of the server
# and for tests: link velmora_typelib and include "VelmoraThumbCtl.h".
add_library(velmora_typelib STATIC
  ${VELMORA_GENERATED}/VelmoraThumbCtl_i.c
  ${VELMORA_GENERATED}/VelmoraThumbCtl.h
  ${VELMORA_TLB})
target_include_directories(velmora_typelib PUBLIC ${VELMORA_GENERATED})
set_target_properties(velmora_typelib PROPERTIES VELMORA_TLB_FILE ${VELMORA_TLB})
target_link_libraries(velmora_typelib PUBLIC suite_options)

# The thumbnail control's COM class, linked into the library and into its tests.
add_library(thumbctl_control STATIC
  ${CMAKE_CURRENT_LIST_DIR}/thumb_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thumb_control_ole.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thumb_control_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thumb_control_persist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thumb_control_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cache_picture_source.cpp
  ${CMAKE_CURRENT_LIST_DIR}/library_settings.cpp)
target_link_libraries(thumbctl_control PUBLIC suite_options velmora_typelib thumbctl_view fw_com fw_core
  ole32 oleaut32 uuid user32 gdi32 shell32)
if(TARGET thumbctl_cache)
  # Cache sizes and the file-name filter come from the cache's settings reader.
  target_link_libraries(thumbctl_control PRIVATE thumbctl_cache)
  target_compile_definitions(thumbctl_control PRIVATE VELMORA_HAS_LIBRARY_SETTINGS=1)
endif()

add_library(VelmoraThumbCtl SHARED
  ${CMAKE_CURRENT_LIST_DIR}/server_entry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/class_table.cpp
  ${SUITE_ROOT}/resources/VelmoraThumbCtl.rc
  ${SUITE_ROOT}/resources/VelmoraThumbCtl.def)
set_target_properties(VelmoraThumbCtl PROPERTIES PREFIX "" OUTPUT_NAME VelmoraThumbCtl)
target_include_directories(VelmoraThumbCtl PRIVATE ${VELMORA_GENERATED} ${SUITE_ROOT}/resources)
set_source_files_properties(${SUITE_ROOT}/resources/VelmoraThumbCtl.rc PROPERTIES
  OBJECT_DEPENDS "${VELMORA_TLB};${SUITE_ROOT}/resources/VelmoraThumbCtl.rgs;${SUITE_ROOT}/resources/VelmoraThumbCtl.bmp;${SUITE_ROOT}/resources/VelmoraPictureCache.rgs;${SUITE_ROOT}/resources/VelmoraThumbCtl_res.h")
target_link_libraries(VelmoraThumbCtl PRIVATE suite_options velmora_typelib thumbctl_control fw_com fw_core
  -Wl,--start-group ole32 oleaut32 uuid user32 gdi32 advapi32 shell32 comctl32 windowscodecs -Wl,--end-group)

# Classes of the server: each folder that provides one adds its library here, and the
# class table (class_table.cpp) lists it when the definition says so.
if(TARGET thumbctl_cache)
  target_link_libraries(VelmoraThumbCtl PRIVATE thumbctl_cache)
  target_compile_definitions(VelmoraThumbCtl PRIVATE VELMORA_HAS_PICTURE_CACHE=1)
endif()
