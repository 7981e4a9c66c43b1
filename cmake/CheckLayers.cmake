# Every folder includes only the folders below it. One table says, row by row, which
# folders a folder may include besides itself and which system libraries it may use;
# each row names only rows above it, so the folders have an order and no cycle.
# Every #include of every source folder is checked against it: a line the table does
# not allow fails, naming the file, the include and the rule.
#
# Until the geometry's last upward lines are gone, cmake/LayerExceptions.txt lists
# them ("<file> <included header>" a line). A listed line is accepted; a listed line
# that no longer occurs, or that the table now allows, fails too ("remove it"), so
# the list can only shrink.
#
# Run as a script: cmake -DCORVIA_SOURCE_DIR=<root> -P cmake/CheckLayers.cmake
# (the configure step runs it, and every build again through the check_layers
# target). With -DCORVIA_LAYER_REPORT=ON it fails on nothing and prints
# "N upward include lines in M files" and those lines, in the exception list's form.

cmake_minimum_required(VERSION 3.25)

if(NOT CORVIA_SOURCE_DIR)
  set(CORVIA_SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/..")
endif()
get_filename_component(CORVIA_SOURCE_DIR "${CORVIA_SOURCE_DIR}" ABSOLUTE)

# The system libraries the table speaks about (the first path element of an
# #include <...>, without ".h"); any other system header (the standard library,
# POSIX) is allowed everywhere.
set(corvia_layer_system_checked wx GL EGL X11 FTGL ft2build freetype fontconfig curl gtk glib gdk FreeImage)

set(corvia_layer_rows "")
set(corvia_layer_table_faults "")

# corvia_layer(<folder> [USES <folders below>...] [SYSTEM <libraries>...] [DIRS <dirs>...])
# DIRS: the source directories that count as the folder (default: the folder itself).
macro(corvia_layer folder)
  cmake_parse_arguments(row "" "" "USES;SYSTEM;DIRS" ${ARGN})
  string(REPLACE "/" "_" key "${folder}")
  foreach(use ${row_USES})
    if(NOT use IN_LIST corvia_layer_rows)
      list(APPEND corvia_layer_table_faults "${folder}/ names ${use}/, which is not a row above it")
    endif()
  endforeach()
  foreach(lib ${row_SYSTEM})
    if(NOT lib IN_LIST corvia_layer_system_checked)
      list(APPEND corvia_layer_table_faults "${folder}/ names the system library ${lib}, which the table does not know")
    endif()
  endforeach()
  if(NOT row_DIRS)
    set(row_DIRS "${folder}")
  endif()
  set(corvia_layer_uses_${key} ${row_USES})
  set(corvia_layer_system_${key} ${row_SYSTEM})
  foreach(dir ${row_DIRS})
    string(REPLACE "/" "_" dirkey "${dir}")
    set(corvia_layer_folder_of_${dirkey} "${folder}")
  endforeach()
  set(corvia_layer_dirs_${key} ${row_DIRS})
  list(APPEND corvia_layer_rows "${folder}")
endmacro()

# "platform" is the interfaces (the files directly in platform/), not its backends.
set(geometry files construction stellation nets model symmetry core platform)
corvia_layer(platform)
corvia_layer(core         USES platform)
corvia_layer(symmetry     USES core platform)
corvia_layer(model        USES symmetry core platform)
corvia_layer(nets         USES model symmetry core platform)
corvia_layer(stellation   USES nets model symmetry core platform)
corvia_layer(construction USES stellation nets model symmetry core platform)
corvia_layer(files        USES construction stellation nets model symmetry core platform
                          SYSTEM FreeImage)
corvia_layer(platform/gl  SYSTEM EGL GL)
corvia_layer(render       USES ${geometry} platform/gl
                          SYSTEM GL FTGL ft2build freetype fontconfig FreeImage)
corvia_layer(platform/wx  USES core platform SYSTEM wx curl)
corvia_layer(ui           USES render ${geometry} SYSTEM wx fontconfig DIRS ui ui/controls)
corvia_layer(dialogs      USES ui render ${geometry} platform/wx SYSTEM wx)
corvia_layer(app          USES dialogs ui render ${geometry} platform/wx SYSTEM wx
                          DIRS app app/main)

if(corvia_layer_table_faults)
  list(JOIN corvia_layer_table_faults "\n  " text)
  message(FATAL_ERROR "The layer table in cmake/CheckLayers.cmake is not an order:\n  ${text}")
endif()

# The rule of a folder, in words: the folders it may include, or (SYSTEM) the
# system libraries it may use.
function(corvia_layer_rule folder kind out)
  string(REPLACE "/" "_" key "${folder}")
  if(kind STREQUAL "SYSTEM")
    if(corvia_layer_system_${key})
      set(barred ${corvia_layer_system_checked})
      list(REMOVE_ITEM barred ${corvia_layer_system_${key}})
      list(JOIN barred ", " barred)
      list(JOIN corvia_layer_system_${key} ", " libs)
      set(text "${folder}/ may use none of the system libraries ${barred} (it may use ${libs})")
    else()
      set(text "${folder}/ may use none of the system libraries ${corvia_layer_system_checked_text}")
    endif()
  else()
    set(uses "")
    foreach(use ${corvia_layer_uses_${key}})
      list(APPEND uses "${use}/")
    endforeach()
    if(uses)
      list(JOIN uses ", " text)
      set(text "${folder}/ may include ${text}")
    else()
      set(text "${folder}/ may include only itself")
    endif()
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
list(JOIN corvia_layer_system_checked ", " corvia_layer_system_checked_text)

# Every include line the table does not allow: "<file> <included header>" (a system
# header as <...>), and beside it the reason.
set(corvia_layer_breaches "")
set(corvia_layer_unknown "")
foreach(folder ${corvia_layer_rows})
  string(REPLACE "/" "_" key "${folder}")
  foreach(dir ${corvia_layer_dirs_${key}})
    file(GLOB files "${CORVIA_SOURCE_DIR}/${dir}/*.h" "${CORVIA_SOURCE_DIR}/${dir}/*.cpp")
    foreach(f ${files})
      file(RELATIVE_PATH rel "${CORVIA_SOURCE_DIR}" "${f}")
      file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
      foreach(line ${lines})
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\"")
          set(target "${CMAKE_MATCH_1}")
          # A name without a folder is a file beside the includer.
          if(NOT target MATCHES "/")
            continue()
          endif()
          get_filename_component(tdir "${target}" DIRECTORY)
          string(REPLACE "/" "_" tkey "${tdir}")
          set(tfolder "${corvia_layer_folder_of_${tkey}}")
          if(NOT tfolder)
            list(APPEND corvia_layer_unknown "${rel} includes \"${target}\", which is in no folder of the layer table")
            continue()
          endif()
          if(tfolder STREQUAL folder OR tfolder IN_LIST corvia_layer_uses_${key})
            continue()
          endif()
          list(APPEND corvia_layer_breaches "${rel} ${target}")
        elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>/]*)")
          string(REGEX REPLACE "\\.h$" "" lib "${CMAKE_MATCH_1}")
          if(NOT lib IN_LIST corvia_layer_system_checked OR lib IN_LIST corvia_layer_system_${key})
            continue()
          endif()
          string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*(<[^>]*>).*" "\\1" target "${line}")
          list(APPEND corvia_layer_breaches "${rel} ${target}")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

if(corvia_layer_unknown)
  list(JOIN corvia_layer_unknown "\n  " text)
  message(FATAL_ERROR "An include names a folder the layer table does not know (add the folder "
                      "to cmake/CheckLayers.cmake):\n  ${text}")
endif()

if(CORVIA_LAYER_REPORT)
  set(files_with "")
  foreach(b ${corvia_layer_breaches})
    string(REGEX REPLACE " .*" "" f "${b}")
    list(APPEND files_with "${f}")
  endforeach()
  list(REMOVE_DUPLICATES files_with)
  list(LENGTH corvia_layer_breaches n)
  list(LENGTH files_with m)
  list(JOIN corvia_layer_breaches "\n" text)
  message("${n} upward include lines in ${m} files\n${text}")
  return()
endif()

# The exception list: lines accepted for now; each must still be a breach.
set(exceptions_file "${CORVIA_SOURCE_DIR}/cmake/LayerExceptions.txt")
set(exceptions "")
if(EXISTS "${exceptions_file}")
  file(STRINGS "${exceptions_file}" exceptions REGEX "^[^#]")
endif()
set(stale "")
foreach(e ${exceptions})
  string(STRIP "${e}" e)
  if(NOT e IN_LIST corvia_layer_breaches)
    list(APPEND stale "${e}")
  endif()
endforeach()

set(faults "")
foreach(b ${corvia_layer_breaches})
  if(b IN_LIST exceptions)
    continue()
  endif()
  string(REGEX MATCH "^[^ ]*" f "${b}")
  string(REGEX REPLACE "^[^ ]* " "" target "${b}")
  # The folder of the file: the row whose directories hold it.
  get_filename_component(fdir "${f}" DIRECTORY)
  string(REPLACE "/" "_" fkey "${fdir}")
  set(folder "${corvia_layer_folder_of_${fkey}}")
  if(target MATCHES "^<")
    corvia_layer_rule("${folder}" SYSTEM rule)
    list(APPEND faults "${f} includes ${target}: ${rule}")
  else()
    corvia_layer_rule("${folder}" FOLDERS rule)
    list(APPEND faults "${f} includes \"${target}\": ${rule}")
  endif()
endforeach()

set(text "")
if(faults)
  list(JOIN faults "\n  " lines)
  string(APPEND text "A folder includes what its row of the layer table does not allow "
                     "(cmake/CheckLayers.cmake):\n  ${lines}\n")
endif()
if(stale)
  list(JOIN stale "\n  " lines)
  string(APPEND text "cmake/LayerExceptions.txt lists lines that no longer break the layer table; "
                     "remove them:\n  ${lines}\n")
endif()
if(text)
  message(FATAL_ERROR "${text}")
endif()
