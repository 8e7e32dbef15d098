# Installs the pinned JavaScript client into a folder of the build tree and
# copies the test script next to it, so that its imports resolve there.
#   cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DNPM=... -P install.cmake
# npm ci runs only when the lock file differs from the one last installed.
file(MAKE_DIRECTORY "${BINARY_DIR}")
foreach(f package.json package-lock.json test.mjs)
  file(COPY_FILE "${SOURCE_DIR}/${f}" "${BINARY_DIR}/${f}" ONLY_IF_DIFFERENT)
endforeach()

set(stamp "${BINARY_DIR}/node_modules/.varnel-installed-lock.json")
if(EXISTS "${stamp}")
  file(SHA256 "${stamp}" installed)
  file(SHA256 "${BINARY_DIR}/package-lock.json" wanted)
  if(installed STREQUAL wanted AND EXISTS "${BINARY_DIR}/node_modules/@supabase/supabase-js/package.json")
    message(STATUS "JavaScript client already installed")
    return()
  endif()
endif()

execute_process(
  COMMAND "${NPM}" ci --no-audit --no-fund --loglevel=error
  WORKING_DIRECTORY "${BINARY_DIR}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "npm ci failed (${rc}); the npm registry must be reachable for the first run")
endif()
file(COPY_FILE "${BINARY_DIR}/package-lock.json" "${stamp}")
