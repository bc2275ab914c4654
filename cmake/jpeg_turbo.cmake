# libjpeg-turbo, built as a static library with the tree's own cross compiler, for
# the WIC plug-in's JPEG path. The source is Debian's package, fetched by name through
# apt (scripts/fetch-sources) once into SUITE_DOWNLOADS for every tree to share, and
# checked by its hash.
include(ExternalProject)

set(SUITE_DOWNLOADS "${SUITE_ROOT}/build/downloads" CACHE PATH "Where third-party sources are kept")
set(jpeg_turbo_prefix ${CMAKE_BINARY_DIR}/third_party/jpeg-turbo)
set(jpeg_turbo_library ${jpeg_turbo_prefix}/lib/${CMAKE_STATIC_LIBRARY_PREFIX}jpeg${CMAKE_STATIC_LIBRARY_SUFFIX})

find_program(NASM_EXECUTABLE nasm REQUIRED)
set(jpeg_turbo_source ${SUITE_DOWNLOADS}/libjpeg-turbo_2.1.5.orig.tar.gz)
if(NOT EXISTS ${jpeg_turbo_source})
  execute_process(COMMAND bash ${SUITE_ROOT}/scripts/fetch-sources ${SUITE_DOWNLOADS} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "scripts/fetch-sources could not get libjpeg-turbo's source")
  endif()
endif()
ExternalProject_Add(jpeg_turbo_build
  URL ${jpeg_turbo_source}
  URL_HASH SHA256=254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c
  DOWNLOAD_EXTRACT_TIMESTAMP ON
  PREFIX ${CMAKE_BINARY_DIR}/third_party/jpeg-turbo-build
  INSTALL_DIR ${jpeg_turbo_prefix}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
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
