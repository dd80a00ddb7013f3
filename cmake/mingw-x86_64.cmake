# SPDX-License-Identifier: GPL-3.0-or-later
# The same sources as a 64-bit Windows build. The test script uses it to run the
# Windows tests on machines whose kernel cannot execute 32-bit programs (there
# the 32-bit Wine loader does not start).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUAVEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(QUAVEL_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
