# libjpeg-turbo, built as a static library with the tree's own cross compiler, for
# the WIC plug-in's JPEG path. The source is Debian's package, fetched by name through
# apt and patched as Debian patches it (cmake/debian_source.cmake).
include(ExternalProject)
include(${CMAKE_CURRENT_LIST_DIR}/debian_source.cmake)

set(jpeg_turbo_prefix ${CMAKE_BINARY_DIR}/third_party/jpeg-turbo)
set(jpeg_turbo_library ${jpeg_turbo_prefix}/lib/${CMAKE_STATIC_LIBRARY_PREFIX}jpeg${CMAKE_STATIC_LIBRARY_SUFFIX})

find_program(NASM_EXECUTABLE nasm REQUIRED)
suite_debian_source(jpeg_turbo_source PACKAGE libjpeg-turbo VERSION 1:2.1.5-2
  ORIG_SHA256 254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c
  DEBIAN_SHA256 cdb2433c2f7101345c1ffa14efb943787c675b86354691a32490845fe4bc9237)
ExternalProject_Add(jpeg_turbo_build
  SOURCE_DIR ${jpeg_turbo_source}
  PREFIX ${CMAKE_BINARY_DIR}/third_party/jpeg-turbo-build
  INSTALL_DIR ${jpeg_turbo_prefix}
  CMAKE_ARGS
    ${SUITE_THIRD_PARTY_CMAKE_ARGS}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_INSTALL_LIBDIR=<INSTALL_DIR>/lib
    -DCMAKE_ASM_NASM_COMPILER=${NASM_EXECUTABLE}
    -DENABLE_SHARED=OFF
    -DWITH_TURBOJPEG=OFF
    -DWITH_JAVA=OFF
    -DREQUIRE_SIMD=ON
  BUILD_BYPRODUCTS ${jpeg_turbo_library}
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

file(MAKE_DIRECTORY ${jpeg_turbo_prefix}/include)
add_library(jpeg_turbo STATIC IMPORTED GLOBAL)
set_target_properties(jpeg_turbo PROPERTIES
  IMPORTED_LOCATION ${jpeg_turbo_library}
  INTERFACE_INCLUDE_DIRECTORIES ${jpeg_turbo_prefix}/include)
add_dependencies(jpeg_turbo jpeg_turbo_build)
