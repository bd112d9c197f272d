# Makes the .deb with cpack into a fresh folder and reads it back as apt and a software
# centre would. Expects CPACK, BUILD_DIR, WORK_DIR and VERSION.
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}): ${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
run("${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}")
run(dpkg --print-architecture)
string(STRIP "${out}" arch)
set(deb "${WORK_DIR}/kelpora_${VERSION}_${arch}.deb")

run(dpkg-deb -c "${deb}")
set(listing "\n${out}")
foreach(entry x:bin/kelpora x:bin/kelpora-initdb x:bin/kelpora-backup x:bin/kelpora-restore
    x:bin/kelpora-export x:bin/kelpora-import x:libexec/kelpora/kelpora
    f:share/applications/kelpora.desktop f:share/icons/hicolor/scalable/apps/kelpora.svg
    f:share/metainfo/org.kelpora.kelpora.metainfo.xml f:share/doc/kelpora/copyright)
  string(REPLACE "x:" "-rwxr-xr-x root/root [^\n]* \\./usr/" pattern "${entry}")
  string(REPLACE "f:" "-rw-r--r-- root/root [^\n]* \\./usr/" pattern "${pattern}")
  if(NOT listing MATCHES "\n${pattern}\n")
    message(FATAL_ERROR "the package lacks ${entry} (x: executable, f: file):${listing}")
  endif()
endforeach()

# Depends: well formed, no build package, none twice, each one a real package (this
# machine runs the programs, so has them all), and the ones loaded at run time there.
run(dpkg-deb -f "${deb}" Depends)
string(STRIP "${out}" depends)
string(REPLACE ", " ";" depends "${depends}")
set(names)
foreach(dependency IN LISTS depends)
  string(REGEX MATCH "^([a-z0-9][a-z0-9.+-]+)( \\(>?= [^)]+\\))?$" whole "${dependency}")
  set(name "${CMAKE_MATCH_1}")
  execute_process(COMMAND dpkg-query -W -f=\${Status} "${name}" OUTPUT_VARIABLE status ERROR_QUIET)
  if(NOT whole OR name MATCHES "-dev$" OR name IN_LIST names OR NOT status STREQUAL "install ok installed")
    message(FATAL_ERROR "bad dependency '${dependency}' in: ${depends}")
  endif()
  list(APPEND names "${name}")
endforeach()
foreach(needed libc6 libqt6widgets6 libfbclient2 libjpeg62-turbo firebird3.0-server-core
    fonts-ipafont-gothic qt6-translations-l10n)
  if(NOT needed IN_LIST names)
    message(FATAL_ERROR "Depends lacks ${needed}: ${depends}")
  endif()
endforeach()

set(root "${WORK_DIR}/root")
run(dpkg-deb -x "${deb}" "${root}")
file(STRINGS "${root}/usr/share/applications/kelpora.desktop" exec REGEX "^Exec=")
file(READ "${root}/usr/share/metainfo/org.kelpora.kelpora.metainfo.xml" metainfo)
if(NOT exec STREQUAL "Exec=/usr/bin/kelpora" OR NOT metainfo MATCHES "<release version=\"${VERSION}\"")
  message(FATAL_ERROR "the desktop entry starts '${exec}', or the metainfo lacks release ${VERSION}")
endif()
# The metainfo, and the desktop entry it launches, as a software centre reads them.
run(appstreamcli validate-tree --no-net "${root}")
file(REMOVE_RECURSE "${WORK_DIR}")
