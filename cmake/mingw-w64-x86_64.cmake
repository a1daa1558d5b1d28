# Cross-compiling for 64-bit Windows with Debian's mingw-w64. The posix-thread compilers are the
# ones whose C++ library has std::mutex and std::thread (GoogleTest needs them). Programs built
# here run under wine through tools/wine/run.sh, so CTest can run them as it runs native ones.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORTHANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORTHANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORTHANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORTHANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORTHANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine/run.sh)
