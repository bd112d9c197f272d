# Run by `cmake --install`: writes the desktop entry with the launcher's path under the
# prefix chosen at install time (which may differ from the one configured) and installs
# it. KELPORA_DESKTOP_BUILD_DIR is set by the install rules before this runs.
set(launcher "${CMAKE_INSTALL_PREFIX}/bin/kelpora")
# An Exec path with anything but plain characters is quoted, its reserved characters
# escaped by the desktop entry rules (quoting escapes, then string escapes).
if(launcher MATCHES "^[A-Za-z0-9/._+-]+$")
  set(exec "${launcher}")
else()
  set(exec "${launcher}")
  string(REPLACE "\\" "\\\\\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\\\"" exec "${exec}")
  string(REPLACE "`" "\\\\`" exec "${exec}")
  string(REPLACE "$" "\\\\$" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
file(READ "${CMAKE_CURRENT_LIST_DIR}/kelpora.desktop.in" entry)
string(REPLACE "@KELPORA_LAUNCHER@" "${exec}" entry "${entry}")
file(WRITE "${KELPORA_DESKTOP_BUILD_DIR}/kelpora.desktop" "${entry}")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
  FILES "${KELPORA_DESKTOP_BUILD_DIR}/kelpora.desktop")
