# cmake -DOBJDUMP=... -DMODULE=... -P check_exports.cmake
# Fails unless the module exports exactly the four plug-in functions, undecorated.
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump could not read ${MODULE}")
endif()
# The name table: "\t[   0] GetPicture" lines after its title.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[^\n]*\n)*)" table "${dump}")
# Brackets would keep CMake from splitting the list: the indices go first.
string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] ([^\n]*)\n" "\\1;" names "${CMAKE_MATCH_1}")
list(FILTER names EXCLUDE REGEX "^$")
list(SORT names)
set(expected GetPicture GetPictureInfo GetPluginInfo IsSupported)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "${MODULE} exports '${names}', expected '${expected}'")
endif()
