# Run at every build (cmake -P): writes the source that names the version
# and, in a git checkout, the commit it was built from. The file is only
# rewritten when its text changes, so that nothing relinks needlessly.
#   -DSOURCE_DIR=... -DOUTPUT=... -DVERSION=...
set(commit "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed)
    set(commit "")
  else()
    # Tracked files changed since that commit: the build is not exactly it.
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
      OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(changes)
      string(APPEND commit " with local changes")
    endif()
  endif()
endif()

set(text "// Written by cmake/WriteBuildVersion.cmake at build time.
#include \"cli/Version.h\"

const char* projectVersion() { return \"${VERSION}\"; }
const char* buildCommit() { return \"${commit}\"; }
")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
