# SPDX-License-Identifier: GPL-3.0-or-later
# Quavel itself: a 32-bit Windows program.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUAVEL_MINGW_TRIPLE i686-w64-mingw32)
set(QUAVEL_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
