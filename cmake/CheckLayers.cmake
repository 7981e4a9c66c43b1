# The bottom layers include nothing above them: platform/ (the interfaces to the
# world) includes only platform/; core/ includes only core/ and those interfaces.
# The backends platform/wx/ and platform/gl/ sit above the geometry and are not
# checked here. Fails on the first file that breaks the rule and lists every
# offending line.
#
# Run as a script: cmake -DCORVIA_SOURCE_DIR=<root> -P cmake/CheckLayers.cmake
# (the configure step includes this file too, and every build runs it again).

if(NOT CORVIA_SOURCE_DIR)
  set(CORVIA_SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/..")
endif()

# folder -> the include prefixes it may use ("platform/" alone means the interfaces,
# files directly in platform/, not its backend folders).
set(corvia_layer_platform "platform/")
set(corvia_layer_core "core/;platform/")

set(corvia_layer_violations "")
foreach(folder platform core)
  file(GLOB files "${CORVIA_SOURCE_DIR}/${folder}/*.h" "${CORVIA_SOURCE_DIR}/${folder}/*.cpp")
  foreach(f ${files})
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" target "${line}")
      # A name without a folder is a file beside the includer.
      if(NOT target MATCHES "/")
        continue()
      endif()
      set(allowed FALSE)
      foreach(prefix ${corvia_layer_${folder}})
        string(LENGTH "${prefix}" n)
        string(SUBSTRING "${target}" 0 ${n} head)
        string(SUBSTRING "${target}" ${n} -1 rest)
        # Only the folder itself: platform/wx/... is not platform/.
        if(head STREQUAL prefix AND NOT rest MATCHES "/")
          set(allowed TRUE)
        endif()
      endforeach()
      if(NOT allowed)
        file(RELATIVE_PATH rel "${CORVIA_SOURCE_DIR}" "${f}")
        list(APPEND corvia_layer_violations "${rel} includes ${target}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(corvia_layer_violations)
  list(JOIN corvia_layer_violations "\n  " text)
  message(FATAL_ERROR "A bottom layer includes a folder above it (platform/ may include only platform/; "
                      "core/ only core/ and platform/):\n  ${text}")
endif()
