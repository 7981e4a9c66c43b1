# Writes a ninja file that compiles every file of the project on its own, so that a
# file which misses an include fails even where the unity batches or the precompiled
# header of the normal build would have brought it in.
#
#   cmake -DCOMMANDS=<compile_commands.json> -DSOURCE_DIR=<source root> -DOUT=<file.ninja>
#         [-DALONE_IN="<compile_commands.json>;..."] -P CheckIncludes.cmake
#
# COMMANDS comes from a build configured with -DCORVIA_UNITY=OFF -DCORVIA_PCH=OFF, in
# which every source file is one compile command with nothing forced into it. Each
# command is run with -fsyntax-only: the includes are what is checked, no code is made.
#
# ALONE_IN names the compile commands of other builds that are compiled anyway (the
# release build, the sanitizer build): a source file that one of them compiles as a
# command of its own, with no header forced in, is compiled on its own there and is
# not compiled again here.
#
# A header is compiled on its own when the source file of its name includes it before
# anything else (the habit of the project) and that source file is. Any other header
# is compiled here alone, with the command of a source file of its own folder, which
# has the include paths and definitions its target gives it.

cmake_minimum_required(VERSION 3.25)

foreach(v COMMANDS SOURCE_DIR OUT)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "CheckIncludes.cmake needs -D${v}=...")
  endif()
endforeach()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
get_filename_component(BINARY_DIR "${COMMANDS}" DIRECTORY)
get_filename_component(BINARY_DIR "${BINARY_DIR}" ABSOLUTE)

# The source file as a path below the source root; empty for a file of the build tree
# (the embedded images) or of another place.
function(project_path out file)
  set(${out} "" PARENT_SCOPE)
  file(RELATIVE_PATH rel "${SOURCE_DIR}" "${file}")
  file(RELATIVE_PATH in_build "${BINARY_DIR}" "${file}")
  if(rel MATCHES "^\\.\\./" OR IS_ABSOLUTE "${rel}" OR NOT in_build MATCHES "^\\.\\./")
    return()
  endif()
  set(${out} "${rel}" PARENT_SCOPE)
endfunction()

# Ninja reads `$` as its escape, and a space or colon in a path as a separator.
function(ninja_escape out text)
  string(REPLACE "$" "$$" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(ninja_path out text)
  ninja_escape(text "${text}")
  string(REPLACE " " "$ " text "${text}")
  string(REPLACE ":" "$:" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The source files the other builds compile on their own.
set(alone_elsewhere "")
foreach(other ${ALONE_IN})
  if(NOT EXISTS "${other}")
    continue()
  endif()
  file(READ "${other}" other_json)
  string(JSON other_count LENGTH "${other_json}")
  if(other_count EQUAL 0)
    continue()
  endif()
  math(EXPR other_last "${other_count} - 1")
  foreach(i RANGE ${other_last})
    string(JSON file GET "${other_json}" ${i} file)
    string(JSON cmd GET "${other_json}" ${i} command)
    project_path(rel "${file}")
    if(rel AND NOT cmd MATCHES " -include ")
      list(APPEND alone_elsewhere "${rel}")
    endif()
  endforeach()
endforeach()

file(READ "${COMMANDS}" json)
string(JSON count LENGTH "${json}")
if(count EQUAL 0)
  message(FATAL_ERROR "${COMMANDS} holds no compile command")
endif()

set(ninja "# Written by cmake/CheckIncludes.cmake: each file of the project compiled on its own.\n")
string(APPEND ninja "rule alone\n"
  "  command = cd $dir && $cmd -fsyntax-only -MD -MF $out.d -MT $out && touch $out\n"
  "  depfile = $out.d\n"
  "  deps = gcc\n"
  "  description = On its own: $what\n\n")

# One check: the command run in the folder, its stamp relative to the ninja file's
# folder (where ninja runs it, with -C).
macro(add_check rel dir cmd)
  ninja_escape(cmd_escaped "${cmd}")
  ninja_escape(dir_escaped "${dir}")
  ninja_path(stamp "included/${rel}.ok")
  string(APPEND ninja "build ${stamp}: alone\n  dir = ${dir_escaped}\n  cmd = ${cmd_escaped}\n  what = ${rel}\n")
endmacro()

set(folders "")
set(sources "")
set(checked 0)
set(skipped 0)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON file GET "${json}" ${i} file)
  project_path(rel "${file}")
  if(NOT rel)
    continue()
  endif()
  list(APPEND sources "${rel}")
  string(JSON dir GET "${json}" ${i} directory)
  string(JSON cmd GET "${json}" ${i} command)
  if(cmd MATCHES " -include " OR NOT cmd MATCHES " -c [^ ]+$")
    message(FATAL_ERROR "${COMMANDS} forces a header into ${rel} or is not one compile command: configure it with -DCORVIA_UNITY=OFF -DCORVIA_PCH=OFF")
  endif()
  string(REGEX REPLACE " -o [^ ]+" "" cmd "${cmd}")

  # The first source file of each folder lends its command to the folder's headers.
  get_filename_component(folder "${rel}" DIRECTORY)
  string(MAKE_C_IDENTIFIER "${folder}" key)
  if(NOT DEFINED command_of_${key})
    string(REGEX REPLACE " -c [^ ]+$" "" command_of_${key} "${cmd}")
    set(dir_of_${key} "${dir}")
    list(APPEND folders "${folder}")
  endif()

  if(rel IN_LIST alone_elsewhere)
    math(EXPR skipped "${skipped} + 1")
    continue()
  endif()
  add_check("${rel}" "${dir}" "${cmd}")
  math(EXPR checked "${checked} + 1")
endforeach()

set(headers_checked 0)
set(headers_by_source 0)
foreach(folder ${folders})
  string(MAKE_C_IDENTIFIER "${folder}" key)
  file(GLOB headers "${SOURCE_DIR}/${folder}/*.h")
  foreach(header ${headers})
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${header}")
    string(REGEX REPLACE "\\.h$" ".cpp" source "${rel}")
    if(source IN_LIST sources)
      file(STRINGS "${SOURCE_DIR}/${source}" first REGEX "^#include " LIMIT_COUNT 1)
      if(first STREQUAL "#include \"${rel}\"")
        math(EXPR headers_by_source "${headers_by_source} + 1")
        continue()
      endif()
    endif()
    # Included into an empty file, so that the header is not the main file (whose
    # `#pragma once` would be reported).
    add_check("${rel}" "${dir_of_${key}}" "${command_of_${key}} -x c++ -include ${header} -c /dev/null")
    math(EXPR headers_checked "${headers_checked} + 1")
  endforeach()
endforeach()

file(WRITE "${OUT}" "${ninja}")
message(STATUS "On their own: ${checked} source files here, ${skipped} in the other builds; "
               "${headers_checked} headers here, ${headers_by_source} first in their own source files")
