# libwebp (BSD licence), built as static libraries with the tree's own cross compiler:
# the WebP decoder and the demuxer that finds an animation's first frame. Debian's
# source package, patched as Debian patches it (cmake/debian_source.cmake).
include(ExternalProject)
include(${CMAKE_CURRENT_LIST_DIR}/debian_source.cmake)

set(webp_prefix ${CMAKE_BINARY_DIR}/third_party/webp)
set(webp_library ${webp_prefix}/lib/libwebp.a)
set(webp_demux_library ${webp_prefix}/lib/libwebpdemux.a)
suite_debian_source(webp_source PACKAGE libwebp VERSION 1.2.4-0.2+deb12u1
  ORIG_SHA256 7bf5a8a28cc69bcfa8cb214f2c3095703c6b73ac5fba4d5480c205331d9494df
  DEBIAN_SHA256 69cdba4dfe2e1b34d55fa80c1b29c31cacd40dd183812d6bcca7e508a2f7afcd)
set(webp_tools OFF)
foreach(tool ANIM_UTILS CWEBP DWEBP GIF2WEBP IMG2WEBP VWEBP WEBPINFO LIBWEBPMUX WEBPMUX EXTRAS)
  list(APPEND webp_tools -DWEBP_BUILD_${tool}=OFF)
endforeach()
ExternalProject_Add(webp_build
  SOURCE_DIR ${webp_source}
  PREFIX ${CMAKE_BINARY_DIR}/third_party/webp-build
  INSTALL_DIR ${webp_prefix}
  CMAKE_ARGS
    ${SUITE_THIRD_PARTY_CMAKE_ARGS}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_INSTALL_LIBDIR=<INSTALL_DIR>/lib
    -DBUILD_SHARED_LIBS=OFF
    -DWEBP_USE_THREAD=OFF
    ${webp_tools}
  BUILD_BYPRODUCTS ${webp_library} ${webp_demux_library}
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

file(MAKE_DIRECTORY ${webp_prefix}/include)
add_library(webp STATIC IMPORTED GLOBAL)
set_target_properties(webp PROPERTIES
  IMPORTED_LOCATION ${webp_library}
  INTERFACE_INCLUDE_DIRECTORIES ${webp_prefix}/include)
add_library(webp_demux STATIC IMPORTED GLOBAL)
set_target_properties(webp_demux PROPERTIES
  IMPORTED_LOCATION ${webp_demux_library}
  INTERFACE_LINK_LIBRARIES webp)
add_dependencies(webp webp_build)
add_dependencies(webp_demux webp_build)
