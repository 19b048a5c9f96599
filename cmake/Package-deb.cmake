# The Linux program installed (cmake --install) and as a Debian package
# (cmake --build --preset native --target package).
set(FALVORI_MANUAL "${CMAKE_BINARY_DIR}/falvori.1")
set(_manual_args -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DPROJECT_VERSION=${PROJECT_VERSION})
add_custom_command(
  OUTPUT "${FALVORI_MANUAL}"
  COMMAND ${CMAKE_COMMAND} ${_manual_args} -DPREFIX=/usr -DOUT=${FALVORI_MANUAL}
          -P "${CMAKE_SOURCE_DIR}/cmake/Manual.cmake"
  DEPENDS "${CMAKE_SOURCE_DIR}/docs/falvori.1.in" "${CMAKE_SOURCE_DIR}/cmake/Manual.cmake"
  VERBATIM)

# The program finds its table file in ../share/falvori beside its own folder,
# and its messages in ../share/locale, so these folders stay side by side.
install(TARGETS falvori RUNTIME DESTINATION bin)
install(FILES "${FALVORI_TABLE_FILE}" DESTINATION share/falvori)
install(FILES "${FALVORI_CATALOG}" DESTINATION share/locale/de/LC_MESSAGES)
# The manual names the folders of the prefix chosen now.
set(_installed_manual "${CMAKE_BINARY_DIR}/install/falvori.1")
install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\" ${_manual_args} \"-DPREFIX=\${CMAKE_INSTALL_PREFIX}\"
                                      -DOUT=${_installed_manual} -P \"${CMAKE_SOURCE_DIR}/cmake/Manual.cmake\"
                                      COMMAND_ERROR_IS_FATAL ANY)")
install(FILES "${_installed_manual}" DESTINATION share/man/man1)

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
  "falvori converts text files, or standard input, byte for byte between\n"
  "the classic Macintosh character set and the Windows character set, through\n"
  "two translation tables read from a plain text file (/etc/falvori). It\n"
  "converts several files in place in one call, tells in advance what a\n"
  "conversion would change or lose (--check), and turns line ends into\n"
  "CR LF or CR on request. The destination is replaced atomically where the\n"
  "file system allows it.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${FALVORI_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME "falvori_${PROJECT_VERSION}_${FALVORI_DEB_ARCH}.deb")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(FALVORI_TABLE_NAME "ZeichenCodes Mac-Win.txt")
configure_file("${CMAKE_SOURCE_DIR}/cmake/deb/Stage.cmake.in" "${FALVORI_DEB_DIR}/Stage.cmake" @ONLY)
set(CPACK_STRIP_FILES ON)
# The table lies in /etc/falvori (Stage.cmake moves it there), as a conffile:
# an upgrade keeps the administrator's edits.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_SOURCE_DIR}/cmake/deb/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_PRE_BUILD_SCRIPTS "${FALVORI_DEB_DIR}/Stage.cmake")
include(CPack)
