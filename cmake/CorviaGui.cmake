# The parts that draw and show windows: wx, OpenGL through GLVND, FTGL, FreeImage, curl.

set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL GLX)
find_package(wxWidgets REQUIRED COMPONENTS gl aui core base)
find_package(PkgConfig REQUIRED)
pkg_check_modules(FTGL REQUIRED IMPORTED_TARGET ftgl)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
# The texture font renders and thickens glyph bitmaps with FreeType itself.
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
find_package(CURL REQUIRED)
find_library(GLU_LIBRARY GLU REQUIRED)

add_library(corvia_wx INTERFACE)
target_include_directories(corvia_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(corvia_wx INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(corvia_wx INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(corvia_wx INTERFACE ${wxWidgets_LIBRARIES})

add_library(corvia_freeimage INTERFACE)
target_include_directories(corvia_freeimage SYSTEM INTERFACE ${FREEIMAGE_INCLUDE_DIR})
target_link_libraries(corvia_freeimage INTERFACE ${FREEIMAGE_LIBRARY})

# Off-screen OpenGL: EGL on Mesa's surfaceless platform, no display needed.
file(GLOB gl_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/gl/*.cpp)
add_library(corvia_platform_gl STATIC ${gl_srcs})
target_include_directories(corvia_platform_gl PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(corvia_platform_gl PUBLIC OpenGL::OpenGL OpenGL::EGL ${GLU_LIBRARY} corvia_geometry)

# The wx side of the platform seam.
file(GLOB wx_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/wx/*.cpp)
add_library(corvia_platform_wx STATIC ${wx_srcs})
target_include_directories(corvia_platform_wx PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(corvia_platform_wx PUBLIC corvia_geometry corvia_wx CURL::libcurl)
if(CORVIA_PCH)
  target_precompile_headers(corvia_platform_wx PRIVATE <wx/wx.h>)
endif()

corvia_folder_library(render  corvia_geometry corvia_platform_gl OpenGL::OpenGL ${GLU_LIBRARY} PkgConfig::FTGL PkgConfig::FREETYPE PkgConfig::FONTCONFIG corvia_freeimage)
# The GL entry points beyond 1.1 (framebuffer objects) come from GLVND's libOpenGL.
target_compile_definitions(corvia_render PUBLIC GL_GLEXT_PROTOTYPES=1)
corvia_folder_library(ui      corvia_render corvia_platform_wx corvia_wx OpenGL::GLX)
# The reusable controls of the bars and dialogs (lists, editors, combo boxes).
file(GLOB control_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/ui/controls/*.cpp)
target_sources(corvia_ui PRIVATE ${control_srcs})
# The toolbar and menu images (ui/icons/*.svg) are built into the program.
file(GLOB icon_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/ui/icons/*.svg)
set(icon_source ${CMAKE_BINARY_DIR}/generated/IconSources.cpp)
add_custom_command(OUTPUT ${icon_source}
  COMMAND ${CMAKE_COMMAND} -DDIR=${PROJECT_SOURCE_DIR}/ui/icons -DOUT=${icon_source} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedIcons.cmake
  DEPENDS ${icon_files} ${PROJECT_SOURCE_DIR}/cmake/EmbedIcons.cmake
  COMMENT "Embedding the toolbar images" VERBATIM)
target_sources(corvia_ui PRIVATE ${icon_source})
set_source_files_properties(${icon_source} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON SKIP_PRECOMPILE_HEADERS ON)
corvia_folder_library(dialogs corvia_ui)
corvia_folder_library(app     corvia_dialogs)
# The stellation commands need the symmetry headers, whose names clash with the
# document's in one translation unit.
set_source_files_properties(${PROJECT_SOURCE_DIR}/app/DocCommandsStellation.cpp PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
foreach(t corvia_ui corvia_dialogs corvia_app)
  get_target_property(type ${t} TYPE)
  if(CORVIA_PCH AND NOT type STREQUAL "INTERFACE_LIBRARY")
    target_precompile_headers(${t} PRIVATE <wx/wx.h>)
  endif()
endforeach()

add_executable(corvia ${PROJECT_SOURCE_DIR}/app/main/CorviaMain.cpp)
target_link_libraries(corvia PRIVATE corvia_app)

# The manual: copied beside the program in the build tree (where the program and the
# tests find it), installed under share/corvia/manual beside bin/corvia.
include(GNUInstallDirs)
file(GLOB manual_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/manual/*)
set(manual_stamp ${CMAKE_BINARY_DIR}/manual/.copied)
add_custom_command(OUTPUT ${manual_stamp}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/docs/manual ${CMAKE_BINARY_DIR}/manual
  COMMAND ${CMAKE_COMMAND} -E touch ${manual_stamp}
  DEPENDS ${manual_files}
  COMMENT "Copying the manual beside the program" VERBATIM)
add_custom_target(corvia_manual ALL DEPENDS ${manual_stamp})
add_dependencies(corvia corvia_manual)
install(TARGETS corvia RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/manual/ DESTINATION ${CMAKE_INSTALL_DATADIR}/corvia/manual)
