# LibRaw (LGPL 2.1), a DLL of its own beside the plug-in, built with the tree's own
# cross compiler from Debian's source package (cmake/debian_source.cmake) by
# cmake/libraw/CMakeLists.txt.
include(ExternalProject)
include(${CMAKE_CURRENT_LIST_DIR}/debian_source.cmake)

set(libraw_prefix ${CMAKE_BINARY_DIR}/third_party/libraw)
set(LIBRAW_DLL ${libraw_prefix}/bin/libraw.dll)
suite_debian_source(libraw_source PACKAGE libraw VERSION 0.20.2-2.1+deb12u1
  ORIG_SHA256 02df7d403b34602b769bb38e5bf7d4258e075eeefbe980b6832e6e1491989d60
  DEBIAN_SHA256 10832bae2ba5e786062ca6851b27832d47319301d7b9fe2eed01b7520e6e5381)
ExternalProject_Add(libraw_build
  SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/libraw
  PREFIX ${CMAKE_BINARY_DIR}/third_party/libraw-build
  INSTALL_DIR ${libraw_prefix}
  CMAKE_ARGS
    ${SUITE_THIRD_PARTY_CMAKE_ARGS}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DLIBRAW_SOURCE=${libraw_source}
  BUILD_BYPRODUCTS ${LIBRAW_DLL}
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

file(MAKE_DIRECTORY ${libraw_prefix}/include)
# Its headers only: the plug-in finds its functions at run time.
add_library(libraw_headers INTERFACE)
target_include_directories(libraw_headers INTERFACE ${libraw_prefix}/include)
add_dependencies(libraw_headers libraw_build)
