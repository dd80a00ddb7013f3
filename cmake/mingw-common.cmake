# SPDX-License-Identifier: GPL-3.0-or-later
# Shared part of the MinGW-w64 toolchain files. QUAVEL_MINGW_TRIPLE and
# QUAVEL_WINE_ARCH are set by the file that includes this one.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest needs std::thread and std::mutex.
set(CMAKE_C_COMPILER ${QUAVEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUAVEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUAVEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUAVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: every executable imports only Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest runs the test executables under Wine, in a prefix that belongs to the build.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/wine-run;${CMAKE_BINARY_DIR}/wineprefix;${QUAVEL_WINE_ARCH}")
