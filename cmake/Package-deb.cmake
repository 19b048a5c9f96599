# The Linux program installed (cmake --install) and as a Debian package
# (cmake --build --preset native --target package).
set(FALVORI_MANUAL "${CMAKE_BINARY_DIR}/falvori.1")
configure_file("${CMAKE_SOURCE_DIR}/docs/falvori.1.in" "${FALVORI_MANUAL}" @ONLY)

# The program finds its table file in ../share/falvori beside its own folder,
# so these two folders stay side by side.
install(TARGETS falvori RUNTIME DESTINATION bin)
install(FILES "${FALVORI_TABLE_FILE}" DESTINATION share/falvori)
install(FILES "${FALVORI_MANUAL}" DESTINATION share/man/man1)

# What Debian wants beside: the manual and the changelog compressed, and the
# copyright file. The package gets them in place of the plain manual.
set(FALVORI_DEB_DIR "${CMAKE_BINARY_DIR}/deb")
add_custom_command(
  OUTPUT "${FALVORI_DEB_DIR}/falvori.1.gz" "${FALVORI_DEB_DIR}/changelog.gz"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${FALVORI_DEB_DIR}"
  COMMAND gzip -9nc "${FALVORI_MANUAL}" > "${FALVORI_DEB_DIR}/falvori.1.gz"
  COMMAND gzip -9nc "${CMAKE_SOURCE_DIR}/cmake/deb/changelog" > "${FALVORI_DEB_DIR}/changelog.gz"
  DEPENDS "${FALVORI_MANUAL}" "${CMAKE_SOURCE_DIR}/cmake/deb/changelog"
  VERBATIM)
add_custom_target(deb_files ALL DEPENDS "${FALVORI_DEB_DIR}/falvori.1.gz" "${FALVORI_DEB_DIR}/changelog.gz")

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE FALVORI_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT FALVORI_DEB_ARCH)
  set(FALVORI_DEB_ARCH amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME falvori)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Falvori-Entwickler <falvori@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert text files between Mac OS Roman and Windows-1252")
# CPack puts the summary first and indents each of these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "falvori converts one text file, or standard input, byte for byte between\n"
  "the classic Macintosh character set and the Windows character set, through\n"
  "two translation tables read from a plain text file. Line ends are kept.\n"
  "The destination is replaced atomically where the file system allows it.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${FALVORI_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME "falvori_${PROJECT_VERSION}_${FALVORI_DEB_ARCH}.deb")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
configure_file("${CMAKE_SOURCE_DIR}/cmake/deb/Stage.cmake.in" "${FALVORI_DEB_DIR}/Stage.cmake" @ONLY)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_PRE_BUILD_SCRIPTS "${FALVORI_DEB_DIR}/Stage.cmake")
include(CPack)
