# `cpack -G DEB` in a build folder makes kelpora_<version>_<arch>.deb from what
# `cmake --install` lays out, under /usr: the launcher /usr/bin/kelpora, the tools beside
# it, the application in /usr/libexec/kelpora, the desktop entry, icon and AppStream
# metainfo under /usr/share.
set(CPACK_PACKAGE_NAME kelpora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KELPORA developers")
set(CPACK_PACKAGE_CONTACT "KELPORA developers <maintainers@users.noreply.c-seed-efba3fbc.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese catch record book for anglers")
set(CPACK_PACKAGE_DESCRIPTION
  "KELPORA keeps a log of fishing outings: the date, place and weather, the day's tide,\n"
  "the species caught with their sizes and counts, tackle and notes, photos, a map and\n"
  "a marked-up tide chart. The interface is Japanese. The book is one Firebird file,\n"
  "opened in-process by the embedded engine, and is backed up after every session.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link come from dpkg-shlibdeps. What they load by name at run
# time it cannot see: the embedded Firebird engine (a plugin of the client library), the
# font the windows are laid out in, and Qt's own Japanese texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-server-core, fonts-ipafont-gothic, qt6-translations-l10n")
# Backups and restores run through the client's service calls, not gbak: isql-fb is only
# for looking inside a book by hand. Qt 6 programs reach fcitx5 (with Mozc) only through
# its Qt 6 frontend.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "firebird3.0-utils, fcitx5-frontend-qt6")

# Where Debian looks for a package's licence; the full text is the system's own copy.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION share/doc/kelpora)

include(CPack)
