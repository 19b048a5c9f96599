# The Windows program: Falvori.exe at the top of the build folder, beside the
# table file, as a GUI program with a wide-character entry point, linked
# statically so that it needs nothing but Windows' own DLLs.
add_executable(Falvori WIN32 WinMain.cpp Falvori.rc)
target_link_libraries(Falvori PRIVATE falvori_ui falvori_win32 falvori_core)
target_include_directories(Falvori PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_options(Falvori PRIVATE -municode $<$<CONFIG:Release>:-s>)
set_target_properties(Falvori PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_source_files_properties(Falvori.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/Falvori.manifest;${CMAKE_CURRENT_SOURCE_DIR}/Version.h")
# The window's pictures are drawn at build time (ui/CMakeLists.txt).
set_property(SOURCE Falvori.rc APPEND PROPERTY OBJECT_DEPENDS ${FALVORI_ICON_FILES})
