# SPDX-License-Identifier: GPL-3.0-or-later
# Quavel.exe: a self-contained 32-bit Windows program (static runtime, resources
# linked in as objects).
add_executable(Quavel WIN32 ${CMAKE_SOURCE_DIR}/app/WinMain.cpp $<TARGET_OBJECTS:quavel_res>)
target_link_libraries(Quavel PRIVATE quavel_app quavel_mainwindow quavel_app)
set_target_properties(Quavel PROPERTIES OUTPUT_NAME Quavel)
# Quavel needs Windows Vista or later (see the README): mark the program so, and
# older Windows refuse to start it with their own message instead of failing on
# a missing function.
target_link_options(Quavel PRIVATE -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,0
                                   -Wl,--major-os-version,6 -Wl,--minor-os-version,0)
# The linker's map, in the folder the link runs in (its paths are relative to
# it): scripts/notices reads from it what of others went into the program.
target_link_options(Quavel PRIVATE -Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/Quavel.exe.map)

# The connect window loads its picture from the program's folder.
set(QUAVEL_CONNECT_PICTURE ${CMAKE_SOURCE_DIR}/res/art/connect.bmp)
if(EXISTS ${QUAVEL_CONNECT_PICTURE})
    add_custom_command(TARGET Quavel POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QUAVEL_CONNECT_PICTURE} $<TARGET_FILE_DIR:Quavel>/connect.bmp)
endif()

# The user guide, which help opens when there is no help file, beside the program
# and named after it.
add_custom_command(TARGET Quavel POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/app/Quavel.html $<TARGET_FILE_DIR:Quavel>/Quavel.html)
