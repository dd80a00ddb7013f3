# Quavel.exe: a self-contained 32-bit Windows program (static runtime, resources
# linked in as objects).
add_executable(Quavel WIN32 ${CMAKE_SOURCE_DIR}/app/WinMain.cpp $<TARGET_OBJECTS:quavel_res>)
target_link_libraries(Quavel PRIVATE quavel_app quavel_mainwindow quavel_app)
set_target_properties(Quavel PROPERTIES OUTPUT_NAME Quavel)
