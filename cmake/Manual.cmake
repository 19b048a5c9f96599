# Writes the manual page OUT from docs/falvori.1.in with the folders the
# program searches when installed under PREFIX. Run when building (for the
# Debian package, PREFIX /usr) and again when installing, since
# "cmake --install --prefix" chooses the prefix only then.
string(REGEX REPLACE "(.)/+$" "\\1" PREFIX "${PREFIX}")
# The prefix /usr keeps its configuration in /etc, as GNU's sysconfdir.
if(PREFIX STREQUAL "/usr")
  set(FALVORI_SYSCONFDIR /etc)
else()
  set(FALVORI_SYSCONFDIR "${PREFIX}/etc")
endif()
set(FALVORI_BINDIR "${PREFIX}/bin")
set(FALVORI_DATADIR "${PREFIX}/share")
configure_file("${SOURCE_DIR}/docs/falvori.1.in" "${OUT}" @ONLY)
