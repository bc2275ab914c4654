# Third-party sources as Debian ships them: the upstream tarball and the Debian tarball
# of one source package, fetched by package name through apt (scripts/fetch-sources)
# once into SUITE_DOWNLOADS for every tree to share, checked against their SHA-256,
# unpacked into the build tree and patched with the package's own series (its security
# fixes among them), then with this tree's own PATCHES, when the tree is configured.
#
# suite_debian_source(VAR PACKAGE name VERSION debian-version ORIG_SHA256 hash DEBIAN_SHA256 hash
#                     [PATCHES file...])
# sets VAR to the patched source folder.
set(SUITE_DOWNLOADS "${SUITE_ROOT}/build/downloads" CACHE PATH "Where third-party sources are kept")

function(suite_debian_source var)
  cmake_parse_arguments(S "" "PACKAGE;VERSION;ORIG_SHA256;DEBIAN_SHA256" "PATCHES" ${ARGN})
  string(REGEX REPLACE "^[0-9]+:" "" version "${S_VERSION}")
  string(REGEX REPLACE "-[^-]+$" "" upstream "${version}")
  set(debian ${SUITE_DOWNLOADS}/${S_PACKAGE}_${version}.debian.tar.xz)
  file(GLOB orig ${SUITE_DOWNLOADS}/${S_PACKAGE}_${upstream}.orig.tar.?z)
  if(NOT orig OR NOT EXISTS ${debian})
    execute_process(COMMAND bash ${SUITE_ROOT}/scripts/fetch-sources ${SUITE_DOWNLOADS} ${S_PACKAGE}=${S_VERSION}
      RESULT_VARIABLE failed)
    file(GLOB orig ${SUITE_DOWNLOADS}/${S_PACKAGE}_${upstream}.orig.tar.?z)
    if(failed OR NOT orig OR NOT EXISTS ${debian})
      message(FATAL_ERROR "scripts/fetch-sources could not get ${S_PACKAGE} ${S_VERSION}")
    endif()
  endif()
  set(source ${CMAKE_BINARY_DIR}/third_party/src/${S_PACKAGE}-${version})
  set(stamp ${source}/.suite-patched)
  set(${var} ${source} PARENT_SCOPE)
  # The stamp holds the hashes of our own patches: a changed patch unpacks afresh.
  set(ours "")
  foreach(patch IN LISTS S_PATCHES)
    file(SHA256 ${patch} hash)
    string(APPEND ours "${hash}\n")
  endforeach()
  if(EXISTS ${stamp})
    file(READ ${stamp} applied)
    if(applied STREQUAL ours)
      return()
    endif()
  endif()
  foreach(pair "${orig};${S_ORIG_SHA256}" "${debian};${S_DEBIAN_SHA256}")
    list(GET pair 0 file)
    list(GET pair 1 expected)
    file(SHA256 ${file} actual)
    if(NOT actual STREQUAL expected)
      message(FATAL_ERROR "${file}: SHA-256 ${actual}, expected ${expected}")
    endif()
  endforeach()
  file(REMOVE_RECURSE ${source} ${source}.unpack)
  file(ARCHIVE_EXTRACT INPUT ${orig} DESTINATION ${source}.unpack)
  file(GLOB top LIST_DIRECTORIES true ${source}.unpack/*)
  list(LENGTH top count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${orig} does not hold one folder")
  endif()
  file(RENAME ${top} ${source})
  file(REMOVE_RECURSE ${source}.unpack)
  file(ARCHIVE_EXTRACT INPUT ${debian} DESTINATION ${source})
  set(series ${source}/debian/patches/series)
  if(EXISTS ${series})
    file(STRINGS ${series} lines)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "#.*" "" line "${line}")
      string(STRIP "${line}" line)
      if(line STREQUAL "")
        continue()
      endif()
      separate_arguments(words UNIX_COMMAND "${line}")
      list(POP_FRONT words patch)
      if(NOT words)
        set(words -p1)
      endif()
      execute_process(COMMAND patch ${words} --batch --quiet -i ${source}/debian/patches/${patch}
        WORKING_DIRECTORY ${source} RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "${S_PACKAGE}: debian/patches/${patch} does not apply")
      endif()
    endforeach()
  endif()
  foreach(patch IN LISTS S_PATCHES)
    execute_process(COMMAND patch -p1 --batch --quiet -i ${patch} WORKING_DIRECTORY ${source} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${S_PACKAGE}: ${patch} does not apply")
    endif()
  endforeach()
  file(WRITE ${stamp} "${ours}")
endfunction()

# What every third-party CMake build is given: this tree's compilers, through its
# compiler launcher when it has one. A DLL exports its own functions only, not those of
# the static runtime libraries linked into it (the next DLL would import them twice).
set(SUITE_THIRD_PARTY_CMAKE_ARGS
  -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
  -DCMAKE_BUILD_TYPE=Release
  "-DCMAKE_SHARED_LINKER_FLAGS=${CMAKE_SHARED_LINKER_FLAGS_INIT} -Wl,--exclude-libs=libpthread.a:libwinpthread.a:libstdc++.a:libgcc.a:libgcc_eh.a"
  -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
  -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
