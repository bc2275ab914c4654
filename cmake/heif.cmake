# libheif (LGPL 3) with libde265 (LGPL 3) for HEVC, two DLLs of their own beside the
# plug-in, and dav1d (BSD) for AV1 linked into libheif's DLL; each built with the
# tree's own cross compiler from Debian's source package (cmake/debian_source.cmake).
include(ExternalProject)
include(${CMAKE_CURRENT_LIST_DIR}/debian_source.cmake)

set(third_party ${CMAKE_BINARY_DIR}/third_party)
find_program(NASM_EXECUTABLE nasm REQUIRED)
find_program(MESON_EXECUTABLE meson REQUIRED)
find_program(NINJA_EXECUTABLE ninja REQUIRED)

# dav1d builds with meson: a cross file made from this tree's compilers.
suite_debian_source(dav1d_source PACKAGE dav1d VERSION 1.0.0-2+deb12u1
  ORIG_SHA256 51737db7e4897e599684f873a4725176dd3c779e639411d7c4fce134bb5ebb82
  DEBIAN_SHA256 ae53e2bda2a18275cc66570194fced9b9681df2b3b8e041586a26a59d69a727e)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  set(meson_cpu_family x86)
  set(meson_cpu i686)
else()
  set(meson_cpu_family x86_64)
  set(meson_cpu x86_64)
endif()
set(meson_cc "'${CMAKE_C_COMPILER}'")
if(CMAKE_C_COMPILER_LAUNCHER)
  set(meson_cc "['${CMAKE_C_COMPILER_LAUNCHER}', ${meson_cc}]")
endif()
set(meson_cross ${third_party}/meson-cross.ini)
file(WRITE ${meson_cross} "[binaries]
c = ${meson_cc}
ar = '${CMAKE_AR}'
strip = '${CMAKE_STRIP}'
windres = '${CMAKE_RC_COMPILER}'
nasm = '${NASM_EXECUTABLE}'

[host_machine]
system = 'windows'
cpu_family = '${meson_cpu_family}'
cpu = '${meson_cpu}'
endian = 'little'
")
set(dav1d_prefix ${third_party}/dav1d)
set(dav1d_library ${dav1d_prefix}/lib/libdav1d.a)
ExternalProject_Add(dav1d_build
  SOURCE_DIR ${dav1d_source}
  PREFIX ${third_party}/dav1d-build
  INSTALL_DIR ${dav1d_prefix}
  CONFIGURE_COMMAND ${MESON_EXECUTABLE} setup --cross-file ${meson_cross} --prefix <INSTALL_DIR> --libdir lib
    --buildtype release --default-library static -Denable_tools=false -Denable_tests=false
    -Denable_examples=false -Dlogging=false <BINARY_DIR> <SOURCE_DIR>
  BUILD_COMMAND ${NINJA_EXECUTABLE} -C <BINARY_DIR> -j 2
  INSTALL_COMMAND ${NINJA_EXECUTABLE} -C <BINARY_DIR> install
  BUILD_BYPRODUCTS ${dav1d_library}
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

suite_debian_source(de265_source PACKAGE libde265 VERSION 1.0.11-1+deb12u2
  ORIG_SHA256 2f8f12cabbdb15e53532b7c1eb964d4e15d444db1be802505e6ac97a25035bab
  DEBIAN_SHA256 81de2919da09690f2fb80383fcc68cda397bfed878a010061627f7794e278f4b
  PATCHES ${CMAKE_CURRENT_LIST_DIR}/patches/libde265-user-mode-locks.patch)
set(de265_prefix ${third_party}/de265)
set(DE265_DLL ${de265_prefix}/bin/libde265.dll)
ExternalProject_Add(de265_build
  SOURCE_DIR ${de265_source}
  PREFIX ${third_party}/de265-build
  INSTALL_DIR ${de265_prefix}
  CMAKE_ARGS
    ${SUITE_THIRD_PARTY_CMAKE_ARGS}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_INSTALL_LIBDIR=<INSTALL_DIR>/lib
    -DBUILD_SHARED_LIBS=ON
    -DENABLE_SDL=OFF
    -DENABLE_DECODER=OFF
    -DENABLE_ENCODER=OFF
  BUILD_BYPRODUCTS ${DE265_DLL} ${de265_prefix}/lib/libde265.dll.a
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

suite_debian_source(heif_source PACKAGE libheif VERSION 1.15.1-1+deb12u1
  ORIG_SHA256 28d5a376fe7954d2d03453f983aaa0b7486f475c27c7806bda31df9102325556
  DEBIAN_SHA256 f3a042fce4231e8feddd032bf93b808a6db96614c20888b78d1042a15e378817
  PATCHES ${CMAKE_CURRENT_LIST_DIR}/patches/libheif-decode-on-caller.patch)
set(heif_prefix ${third_party}/heif)
set(HEIF_DLL ${heif_prefix}/bin/libheif.dll)
set(HEIF_EXAMPLES ${heif_source}/examples)
set(HEIF_FUZZ_CORPUS ${heif_source}/fuzzing/corpus)
set(heif_codecs "")
foreach(codec X265 AOM_DECODER AOM_ENCODER SvtEnc RAV1E)
  list(APPEND heif_codecs -DWITH_${codec}=OFF)
endforeach()
ExternalProject_Add(heif_build
  SOURCE_DIR ${heif_source}
  PREFIX ${third_party}/heif-build
  INSTALL_DIR ${heif_prefix}
  DEPENDS de265_build dav1d_build
  # pkg-config would offer the build machine's own libraries (a gdk-pixbuf loader).
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${third_party}/no-pkg-config PKG_CONFIG_PATH=
    ${CMAKE_COMMAND} -G ${CMAKE_GENERATOR} <SOURCE_DIR>
    ${SUITE_THIRD_PARTY_CMAKE_ARGS}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_INSTALL_LIBDIR=<INSTALL_DIR>/lib
    -DBUILD_SHARED_LIBS=ON
    -DENABLE_PLUGIN_LOADING=OFF
    -DWITH_EXAMPLES=OFF
    -DWITH_GDK_PIXBUF=OFF
    -DWITH_LIBDE265=ON
    -DWITH_LIBDE265_PLUGIN=OFF
    -DLIBDE265_INCLUDE_DIR=${de265_prefix}/include
    -DLIBDE265_LIBRARY=${de265_prefix}/lib/libde265.dll.a
    -DWITH_DAV1D=ON
    -DWITH_DAV1D_PLUGIN=OFF
    -DDAV1D_INCLUDE_DIR=${dav1d_prefix}/include
    -DDAV1D_LIBRARY=${dav1d_library}
    ${heif_codecs}
  BUILD_BYPRODUCTS ${HEIF_DLL}
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

# A tree built before a patch changed builds the library again.
ExternalProject_Add_StepDependencies(de265_build configure ${CMAKE_CURRENT_LIST_DIR}/patches/libde265-user-mode-locks.patch)
ExternalProject_Add_StepDependencies(heif_build configure ${CMAKE_CURRENT_LIST_DIR}/patches/libheif-decode-on-caller.patch)
file(MAKE_DIRECTORY ${heif_prefix}/include)
# Its headers only: the plug-in finds its functions at run time.
add_library(heif_headers INTERFACE)
target_include_directories(heif_headers INTERFACE ${heif_prefix}/include)
