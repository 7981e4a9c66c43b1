# The layer check run on a small tree (tests/fixtures/layers) that breaks its table in
# each way it can: an include up the order, a backend taken for the interfaces, a
# system library a folder may not use, a sub-folder counted as its folder, and two
# upward lines in one file. The check must fail naming each of them, accept what the
# table allows, and report the count and which folder includes which.
#
# cmake -DCORVIA_SOURCE_DIR=<root> -P tests/support/LayerCheckTest.cmake

set(script "${CORVIA_SOURCE_DIR}/cmake/CheckLayers.cmake")
set(tree "${CORVIA_SOURCE_DIR}/tests/fixtures/layers")
set(problems "")

execute_process(COMMAND ${CMAKE_COMMAND} -DCORVIA_SOURCE_DIR=${tree} -P ${script}
                RESULT_VARIABLE result ERROR_VARIABLE out OUTPUT_VARIABLE out2)
string(APPEND out "${out2}")
# CMake wraps the message's lines at the left margin only; join them for matching.
string(REGEX REPLACE "\n +" "\n" out "${out}")
if(result EQUAL 0)
  list(APPEND problems "the check passed a tree that breaks its table")
endif()
foreach(expected
    "core/Up.h includes \"model/Poly.h\": core/ may include platform/\n"
    "core/Backend.cpp includes \"platform/wx/WxBoxes.h\": core/ may include platform/\n"
    "model/Above.cpp includes \"stellation/Faceting.h\": model/ may include symmetry/, core/, platform/\n"
    "model/Above.cpp includes \"nets/Model3D.h\": model/ may include symmetry/, core/, platform/\n"
    "render/Wx.cpp includes <wx/wx.h>: render/ may use none of the system libraries wx,"
    "ui/controls/Ctl.cpp includes \"dialogs/Dialog.h\": ui/ may include render/,")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    list(APPEND problems "missing: ${expected}")
  endif()
endforeach()
foreach(accepted "core/Fine.h" "app/main/Main.cpp" "includes <GL/gl.h>" "includes <FreeImage.h>"
                 "includes <fontconfig/" "includes \"platform/gl/" "includes \"ui/CommandTable.h\""
                 "includes \"symmetry/SymGroup.h\"" "symmetry/Down.cpp")
  string(FIND "${out}" "${accepted}" at)
  if(NOT at EQUAL -1)
    list(APPEND problems "refused what the table allows: ${accepted}")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -DCORVIA_SOURCE_DIR=${tree} -DCORVIA_LAYER_REPORT=ON -P ${script}
                RESULT_VARIABLE result ERROR_VARIABLE out OUTPUT_VARIABLE out2)
string(APPEND out "${out2}")
if(NOT result EQUAL 0)
  list(APPEND problems "the report failed")
endif()
string(FIND "${out}" "6 upward include lines in 5 files\n" at)
if(NOT at EQUAL 0)
  list(APPEND problems "report: ${out}")
endif()
# Which folder includes which, counted in every line (allowed or not), in table order.
foreach(expected "\ncore/: platform/ 1, model/ 1, platform/wx/ 1\n" "\nmodel/: symmetry/ 1, nets/ 1, stellation/ 1\n"
                 "\nnets/: -\n" "\napp/: platform/wx/ 1, dialogs/ 1")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    list(APPEND problems "report misses: ${expected}")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "The layer check:\n  ${text}\nIts output:\n${out}")
endif()
