# The Windows program: Falvori.exe at the top of the build folder, beside the
# table file, as a GUI program with a wide-character entry point, linked
# statically so that it needs nothing but Windows' own DLLs.
add_executable(Falvori WIN32 WinMain.cpp Falvori.rc)
target_link_libraries(Falvori PRIVATE falvori_ui falvori_win32 falvori_core)
target_link_options(Falvori PRIVATE -municode $<$<CONFIG:Release>:-s>)
set_target_properties(Falvori PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_source_files_properties(Falvori.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/Falvori.manifest;${CMAKE_SOURCE_DIR}/core/Version.h")
# The window's pictures are drawn at build time (ui/CMakeLists.txt).
set_property(SOURCE Falvori.rc APPEND PROPERTY OBJECT_DEPENDS ${FALVORI_ICON_FILES})

# A conversion that shows no box needs none of the window's DLLs: they are
# delay-loaded, through libraries made just before each link from what the
# objects call. Their folder comes first in the search, so -luser32 from any
# source (CMake's default libraries too) finds them; a function they lack
# fails the link instead of coming back as a load-time import. stubs.rsp
# keeps the stubs that load the DLLs (tools/delay_imports.py says why).
set(_delay_dir "${CMAKE_CURRENT_BINARY_DIR}/delay-imports")
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(TARGET Falvori PRE_LINK
  COMMAND Python3::Interpreter "${CMAKE_SOURCE_DIR}/tools/delay_imports.py"
          "${CMAKE_CXX_COMPILER}" "${CMAKE_NM}" "${CMAKE_DLLTOOL}" "${_delay_dir}"
          user32,gdi32,comctl32,shell32,mpr
          "$<TARGET_OBJECTS:Falvori>" "$<TARGET_FILE:falvori_ui>" "$<TARGET_FILE:falvori_win32>"
          "$<TARGET_FILE:falvori_core>"
  COMMAND_EXPAND_LISTS
  VERBATIM)
target_link_directories(Falvori BEFORE PRIVATE "${_delay_dir}")
target_link_options(Falvori PRIVATE "@${_delay_dir}/stubs.rsp")
