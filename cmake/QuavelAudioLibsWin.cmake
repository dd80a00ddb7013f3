# SPDX-License-Identifier: GPL-3.0-or-later
# QuavelAudioLibs for the Windows builds: FFmpeg (libavformat, libavcodec,
# libswresample, libavutil) and LAME (libmp3lame) as DLLs, built from Debian's
# source packages by scripts/audio-libs into a cache of this machine. The
# scripts pass the folder it prints (include/, lib/, bin/) as
# QUAVEL_AUDIO_LIBS_DIR; without it the target is not defined.
#
# The DLLs are copied beside every program of the build tree, where Windows
# (and Wine) look for a program's DLLs first.
set(QUAVEL_AUDIO_LIBS_DIR "" CACHE PATH
    "Folder of the Windows audio libraries for this word size, as printed by scripts/audio-libs")
if(NOT QUAVEL_AUDIO_LIBS_DIR)
    message(STATUS "QUAVEL_AUDIO_LIBS_DIR not given: the Windows programs are built without conversion")
    return()
endif()

set(quavel_audio_libs avformat avcodec swresample avutil mp3lame)
set(quavel_audio_imports "")
foreach(lib ${quavel_audio_libs})
    set(import ${QUAVEL_AUDIO_LIBS_DIR}/lib/lib${lib}.dll.a)
    if(NOT EXISTS ${import})
        message(FATAL_ERROR "QUAVEL_AUDIO_LIBS_DIR (${QUAVEL_AUDIO_LIBS_DIR}) has no lib${lib}.dll.a: "
            "run scripts/audio-libs and pass the folder it prints")
    endif()
    list(APPEND quavel_audio_imports ${import})
endforeach()

add_library(QuavelAudioLibs INTERFACE)
target_include_directories(QuavelAudioLibs SYSTEM INTERFACE ${QUAVEL_AUDIO_LIBS_DIR}/include)
target_link_libraries(QuavelAudioLibs INTERFACE ${quavel_audio_imports})

file(GLOB QUAVEL_AUDIO_DLLS ${QUAVEL_AUDIO_LIBS_DIR}/bin/*.dll)

# quavel_copy_audio_dlls(<directory>): copies the DLLs into the build folder of
# every executable defined in <directory> and below. Done when configuring, so
# that a new QUAVEL_AUDIO_LIBS_DIR (which reconfigures) replaces them at once.
function(quavel_copy_audio_dlls directory)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(type STREQUAL EXECUTABLE)
            get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
            if(NOT folder)
                get_target_property(folder ${target} BINARY_DIR)
            endif()
            file(COPY ${QUAVEL_AUDIO_DLLS} DESTINATION ${folder})
        endif()
    endforeach()
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory ${subdirectories})
        quavel_copy_audio_dlls(${subdirectory})
    endforeach()
endfunction()
# Once every folder has defined its programs: at the end of the top CMakeLists.txt.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL quavel_copy_audio_dlls ${CMAKE_SOURCE_DIR})
