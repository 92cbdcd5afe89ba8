# Cross-compiling for Windows with mingw-w64's win32 thread model: the
# programs are single-threaded, and the win32 model imports no thread-control
# functions (SuspendThread, GetThreadContext, ...) the way winpthreads does.
# MINGW_ARCH picks the target: i686 (the shipped programs, which start on
# every x86 and x64 Windows and under Windows on ARM's emulation) or x86_64.
set(MINGW_ARCH i686 CACHE STRING "Target processor: i686 or x86_64")
set_property(CACHE MINGW_ARCH PROPERTY STRINGS i686 x86_64)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_ARCH})
set(TOOLCHAIN_PREFIX ${MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_OBJCOPY      ${TOOLCHAIN_PREFIX}-objcopy CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest and build-time tools run Windows programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
