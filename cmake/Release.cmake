# The release archive for Windows users: Falvori.exe, the table file and the
# German guide, built with `cmake --build --preset win32 --target package`.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(FALVORI_GUIDE "${CMAKE_BINARY_DIR}/LIESMICH.txt")
add_custom_command(
  OUTPUT "${FALVORI_GUIDE}"
  COMMAND ${Python3_EXECUTABLE} "${CMAKE_SOURCE_DIR}/tools/make_guide.py"
          "${CMAKE_SOURCE_DIR}/docs/LIESMICH.txt" "${FALVORI_GUIDE}" "${CMAKE_SOURCE_DIR}/core/Version.h"
  DEPENDS "${CMAKE_SOURCE_DIR}/docs/LIESMICH.txt" "${CMAKE_SOURCE_DIR}/tools/make_guide.py"
          "${CMAKE_SOURCE_DIR}/core/Version.h"
  COMMENT "LIESMICH.txt (Windows-1252, CR LF)")
add_custom_target(guide ALL DEPENDS "${FALVORI_GUIDE}")

install(TARGETS Falvori RUNTIME DESTINATION .)
install(FILES "${CMAKE_BINARY_DIR}/ZeichenCodes Mac-Win.txt" "${FALVORI_GUIDE}" DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Falvori)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The release is the 32-bit build; a 64-bit build (for testing) says so.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(FALVORI_RELEASE_NAME "Falvori-${PROJECT_VERSION}-win64")
else()
  set(FALVORI_RELEASE_NAME "Falvori-${PROJECT_VERSION}-win32")
endif()
set(CPACK_PACKAGE_FILE_NAME "${FALVORI_RELEASE_NAME}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
include(CPack)

if(FALVORI_TESTS)
  add_test(NAME release.unpack_and_convert
    COMMAND bash "${CMAKE_SOURCE_DIR}/tests/release/test_release.sh" "${CMAKE_BINARY_DIR}"
            "${FALVORI_RELEASE_NAME}.zip")
  set_tests_properties(release.unpack_and_convert PROPERTIES
    FIXTURES_REQUIRED wine_env RUN_SERIAL TRUE TIMEOUT 300)
endif()
