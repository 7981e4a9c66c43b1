# The state count run on a small tree (tests/fixtures/state) that holds each kind of
# declaration it must judge: every variable named "counted..." is mutable state of
# process lifetime and must be listed, and nothing else may be. With the tree's own
# figures the count passes; with one figure lowered by one it must fail naming the folder.
#
# cmake -DCORVIA_SOURCE_DIR=<root> -DSTATE_COUNT=<program> -DWORK_DIR=<dir> -P tests/support/StateCountTest.cmake

cmake_minimum_required(VERSION 3.25)

set(tree "${CORVIA_SOURCE_DIR}/tests/fixtures/state")
set(problems "")

execute_process(COMMAND ${STATE_COUNT} ${tree} ${tree}/figures.txt --list
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  list(APPEND problems "the count failed on the tree's own figures (${result}): ${err}")
endif()

# What the tree holds, read from its sources: every "counted..." name.
file(GLOB_RECURSE sources "${tree}/*.cpp" "${tree}/*.h")
set(expected "")
foreach(source ${sources})
  file(READ "${source}" text)
  string(REGEX MATCHALL "[^A-Za-z]counted[A-Za-z]+" names "${text}")
  foreach(name ${names})
    string(SUBSTRING "${name}" 1 -1 name)
    list(APPEND expected "${name}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES expected)

string(REGEX MATCHALL "(namespace|static) [A-Za-z_0-9]+\n" listed "${out}")
set(listed_names "")
foreach(line ${listed})
  string(REGEX REPLACE "^(namespace|static) ([A-Za-z_0-9]+)\n$" "\\2" name "${line}")
  list(APPEND listed_names "${name}")
  if(NOT name MATCHES "^counted")
    list(APPEND problems "counted what is no mutable state: ${name}")
  endif()
endforeach()
foreach(name ${expected})
  if(NOT name IN_LIST listed_names)
    list(APPEND problems "missed: ${name}")
  endif()
endforeach()
foreach(row "core +1 +1 " "render +14 +9 ")
  if(NOT out MATCHES "\n${row}")
    list(APPEND problems "the table misses the row \"${row}\"")
  endif()
endforeach()

# One more variable than a folder's figure allows fails the count.
file(MAKE_DIRECTORY "${WORK_DIR}")
foreach(lowered "core 1 1\nrender 13 9\n" "core 1 1\nrender 14 8\n" "core 1 0\nrender 14 9\n")
  file(WRITE "${WORK_DIR}/lowered.txt" "${lowered}")
  execute_process(COMMAND ${STATE_COUNT} ${tree} ${WORK_DIR}/lowered.txt
                  RESULT_VARIABLE result OUTPUT_VARIABLE out2 ERROR_VARIABLE err2)
  if(result EQUAL 0 OR NOT out2 MATCHES "/ holds more mutable state than allowed")
    list(APPEND problems "the count passed a folder over its figures (${lowered}): ${out2}")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "The state count:\n  ${text}\nIts output:\n${out}")
endif()
