# One static library per folder. Sources are picked up from the folder, so adding
# a file needs no edit here. A folder with no sources yet gets an interface target,
# so that later folders can already name it as a dependency.

set(CORVIA_GEOMETRY_TARGETS "")

function(corvia_sources out dir)
  file(GLOB srcs CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${dir}/*.cpp")
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# The library of one folder: corvia_<name>, static when the folder has sources,
# an interface target before it has any; linked to the given targets.
function(corvia_folder_library name)
  corvia_sources(srcs ${name})
  set(lib corvia_${name})
  if(srcs)
    add_library(${lib} STATIC ${srcs})
    target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${lib} PUBLIC ${ARGN})
    if(CORVIA_UNITY)
      set_target_properties(${lib} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 16)
    endif()
  else()
    add_library(${lib} INTERFACE)
    target_include_directories(${lib} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${lib} INTERFACE ${ARGN})
  endif()
endfunction()

# A geometry library, linked to the libraries just below it (the order of
# cmake/CheckLayers.cmake): each links alone with what is below it, which
# corvia_check_geometry_links proves for every one.
function(corvia_geometry_library name)
  corvia_folder_library(${name} ${ARGN})
  set(CORVIA_GEOMETRY_TARGETS ${CORVIA_GEOMETRY_TARGETS} corvia_${name} PARENT_SCOPE)
endfunction()

# A geometry library must never reach wx or GL: fail the configure step if one does.
# And each links alone: a program made of the whole library (every object, whether
# used or not) and nothing but the libraries below it must link, so no symbol of a
# geometry library is defined in a library above it.
function(corvia_check_geometry_links)
  foreach(lib ${CORVIA_GEOMETRY_TARGETS})
    get_target_property(type ${lib} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${lib} INTERFACE_LINK_LIBRARIES)
    else()
      get_target_property(links ${lib} LINK_LIBRARIES)
    endif()
    if(links)
      foreach(l ${links})
        if(l MATCHES "wx|OpenGL|GLU|EGL|ftgl|freetype|X11")
          message(FATAL_ERROR "${lib} links ${l}: the geometry libraries may not use wx or GL")
        endif()
      endforeach()
    endif()
    if(type STREQUAL "STATIC_LIBRARY")
      string(REGEX REPLACE "^corvia_" "link_check_" check "${lib}")
      add_executable(${check} ${PROJECT_SOURCE_DIR}/cmake/LinkCheck.cpp)
      target_link_libraries(${check} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${lib}>")
    endif()
  endforeach()
endfunction()

# A test program for one folder: every tests/<dir>/*.cpp plus the shared test main.
function(corvia_test name dir)
  file(GLOB srcs CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp")
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE corvia_testsupport ${ARGN})
  if(CORVIA_UNITY)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 16)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  # The limit catches a test that hangs. Under the sanitizers (a debug build whose
  # every access is checked) the geometry's tests need several times the processor
  # time, and a busy machine may give them half of it.
  if(CORVIA_SANITIZE)
    set(limit 2700)
  else()
    set(limit 900)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${limit}
    ENVIRONMENT "LC_ALL=C;CORVIA_TEST_FIXTURES=${PROJECT_SOURCE_DIR}/tests/fixtures")
endfunction()
