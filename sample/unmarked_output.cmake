# Run before distkit build writes BUILD/sample-dist: a folder there that an
# older distkit build wrote (before setup folders carried the .distkit-build
# marker) is this build tree's own output, which today's distkit build would
# refuse to replace; it is removed once. A marked folder is left to distkit.
#   cmake -DDIR=<folder> -P unmarked_output.cmake
if(IS_DIRECTORY "${DIR}" AND NOT IS_SYMLINK "${DIR}" AND NOT EXISTS "${DIR}/.distkit-build"
   AND EXISTS "${DIR}/install.inf")
  file(REMOVE_RECURSE "${DIR}")
endif()
