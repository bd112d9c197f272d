# Installs the build into a fresh prefix, as `cmake --install` does for a user, and checks
# what a desktop needs of it: the programs, the launcher (the very script the run command
# uses), the icon and a desktop entry that desktop-file-validate accepts; then starts the
# installed launcher on a new book folder, with a stand-in for the application.
#
# Expects BUILD_DIR, SOURCE_DIR, WORK_DIR and BOOK_USER.
function(fail what)
  message(FATAL_ERROR "installed tree: ${what}")
endfunction()

set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  fail("cmake --install failed: ${err}")
endif()

foreach(program bin/kelpora bin/kelpora-initdb bin/kelpora-backup bin/kelpora-restore bin/kelpora-export
    bin/kelpora-import bin/kelpora-almanac libexec/kelpora/kelpora)
  if(NOT EXISTS "${prefix}/${program}" OR IS_DIRECTORY "${prefix}/${program}")
    fail("${program} is missing")
  endif()
endforeach()
foreach(file share/icons/hicolor/scalable/apps/kelpora.svg share/applications/kelpora.desktop)
  if(NOT EXISTS "${prefix}/${file}")
    fail("${file} is missing")
  endif()
endforeach()

file(SHA256 "${prefix}/bin/kelpora" installed)
file(SHA256 "${SOURCE_DIR}/scripts/kelpora-launch" launcher)
if(NOT installed STREQUAL launcher)
  fail("bin/kelpora is not scripts/kelpora-launch")
endif()

set(entry "${prefix}/share/applications/kelpora.desktop")
execute_process(COMMAND desktop-file-validate "${entry}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  fail("desktop-file-validate (exit ${rc}): ${out}${err}")
endif()
# Whole lines, searched in the text (a list would split at the semicolons).
file(READ "${entry}" text)
set(text "\n${text}")
foreach(expected "Name=釣果記録\n" "Exec=${prefix}/bin/kelpora\n" "Icon=kelpora\n" "Terminal=false\n" "Comment=" "Comment[ja]=")
  string(FIND "${text}" "\n${expected}" at)
  if(at EQUAL -1)
    fail("the desktop entry lacks '${expected}'")
  endif()
endforeach()
if(NOT text MATCHES "\nCategories=Utility[;]\n")
  fail("the desktop entry is not in the Utility category")
endif()

# The installed launcher finds the installed tools beside it: first start, a record
# entered, one backup afterwards.
set(data "${WORK_DIR}/home/kelpora")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "KELPORA_DATA_DIR=${data}" "KELPORA_APP=${BOOK_USER}"
    --unset=KELPORA_TOOLS_DIR "${prefix}/bin/kelpora" add
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  fail("the installed launcher failed (${rc}): ${out}${err}")
endif()
file(GLOB backups "${data}/backups/KELPORA-*.fbk")
list(LENGTH backups count)
if(NOT EXISTS "${data}/KELPORA.FDB" OR NOT count EQUAL 1 OR NOT out MATCHES "added 1")
  fail("the installed launcher did not make the book, run the application and back up: ${out}${err}")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
