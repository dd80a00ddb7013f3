# SPDX-License-Identifier: GPL-3.0-or-later
# QuavelAudioLibs: one INTERFACE target for the conversion libraries (FFmpeg's
# libavformat, libavcodec, libswresample, libavutil and LAME's libmp3lame).
# Natively they come from Debian's -dev packages through pkg-config; the
# Windows builds take the DLLs built from Debian's sources, described by
# QuavelAudioLibsWin.cmake when that file is there. Without the libraries the
# target is not defined and the conversion is left out of the build.
if(TARGET QuavelAudioLibs)
    return()
endif()
if(WIN32)
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/QuavelAudioLibsWin.cmake)
        include(${CMAKE_CURRENT_LIST_DIR}/QuavelAudioLibsWin.cmake)
    endif()
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(QUAVEL_FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswresample libavutil)
    find_path(QUAVEL_LAME_INCLUDE lame/lame.h REQUIRED)
    find_library(QUAVEL_LAME_LIBRARY mp3lame REQUIRED)
    add_library(QuavelAudioLibs INTERFACE)
    target_include_directories(QuavelAudioLibs SYSTEM INTERFACE ${QUAVEL_LAME_INCLUDE})
    target_link_libraries(QuavelAudioLibs INTERFACE PkgConfig::QUAVEL_FFMPEG ${QUAVEL_LAME_LIBRARY})
endif()
