# The long-function count run on a small tree written here: each function named
# "counted..." is longer than 100 lines and must be listed with its length, and nothing
# else may be. With the tree's own figure the count passes; with it lowered by one it
# must fail naming the folder.
#
# cmake -DLONG_FUNCTIONS=<program> -DWORK_DIR=<dir> -P tests/support/LongFunctionsTest.cmake

cmake_minimum_required(VERSION 3.25)

# n statements, one a line.
function(filler n out)
  string(REPEAT "  ++x;\n" ${n} text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

filler(99 f99)
filler(98 f98)
filler(97 f97)
filler(150 f150)
set(tree "${WORK_DIR}/tree")
file(REMOVE_RECURSE "${tree}")
# 101 lines from the template head to the brace; the comment above is no part of it, a
# brace in a string, a character or a comment closes nothing.
file(WRITE "${tree}/geo/a.cpp" "// { a comment
template <typename T>
int countedWithHead(T x) {
  const char* s = \"}}\"; char c = '}'; /* } */
${f97}}
// 100 lines: not counted.
int Short(int x) {
${f98}}
int table[] = {
${f150}};
struct Holder {
  int countedMember(int x) const {
${f99}  }
  int Short2(int x) { return x; }
};
namespace space {
int countedWithLambda(int x) {
  auto inner = [&](int y) {
${f97}    return y;
  };
  return inner(x);
}
}  // namespace space
const char* text = R\"(
${f150})\";
")
file(WRITE "${WORK_DIR}/figures.txt" "geo 3\n")
execute_process(COMMAND ${LONG_FUNCTIONS} ${tree} ${WORK_DIR}/figures.txt --list
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(problems "")
if(NOT result EQUAL 0)
  list(APPEND problems "the count failed on the tree's own figure (${result}): ${err}")
endif()
set(expected "101 geo/a.cpp:2: countedWithHead" "101 geo/a.cpp:[0-9]+: countedMember"
             "103 geo/a.cpp:[0-9]+: countedWithLambda")
string(REGEX MATCHALL "[0-9]+ [^\n]*: [^\n]+\n" listed "${out}")
list(LENGTH listed count)
if(NOT count EQUAL 3)
  list(APPEND problems "listed ${count} functions, not 3")
endif()
foreach(line ${expected})
  if(NOT out MATCHES "${line}\n")
    list(APPEND problems "missed: ${line}")
  endif()
endforeach()

file(WRITE "${WORK_DIR}/lowered.txt" "geo 2\n")
execute_process(COMMAND ${LONG_FUNCTIONS} ${tree} ${WORK_DIR}/lowered.txt RESULT_VARIABLE result OUTPUT_VARIABLE out2)
if(result EQUAL 0 OR NOT out2 MATCHES "geo/ holds 3 functions longer than 100 lines")
  list(APPEND problems "the count passed a folder over its figure: ${out2}")
endif()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "The long-function count:\n  ${text}\nIts output:\n${out}")
endif()
