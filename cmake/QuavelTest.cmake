# SPDX-License-Identifier: GPL-3.0-or-later
# quavel_test(NAME <name> SOURCES <files...> LIBS <targets...>
#             [NATIVE_ONLY] [WINDOWS_ONLY] [GUI] [TIMEOUT <seconds>])
#
# One GoogleTest executable. Natively each test case becomes its own CTest test;
# under Wine the whole executable is one CTest test, because every Wine process
# start costs a fraction of a second. GUI tests need the shared X display and take
# a resource lock so that ctest -j never runs two of them at once.
function(quavel_test)
    cmake_parse_arguments(QT "NATIVE_ONLY;WINDOWS_ONLY;GUI" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(QT_NATIVE_ONLY AND WIN32)
        return()
    endif()
    if(QT_WINDOWS_ONLY AND NOT WIN32)
        return()
    endif()
    if(NOT QT_TIMEOUT)
        set(QT_TIMEOUT 300)
    endif()
    add_executable(${QT_NAME} ${QT_SOURCES})
    target_link_libraries(${QT_NAME} PRIVATE ${QT_LIBS} gtest gtest_main)
    if(WIN32)
        add_test(NAME ${QT_NAME} COMMAND ${QT_NAME})
        # A GoogleTest program that crashes under Wine can still end with exit code
        # 0: wine-run then asks for GoogleTest's closing line as well.
        set_tests_properties(${QT_NAME} PROPERTIES TIMEOUT ${QT_TIMEOUT}
            ENVIRONMENT QUAVEL_EXPECT_GTEST=1)
        if(QT_GUI)
            set_tests_properties(${QT_NAME} PROPERTIES RESOURCE_LOCK desktop)
        endif()
    else()
        include(GoogleTest)
        gtest_discover_tests(${QT_NAME} DISCOVERY_TIMEOUT 60
            PROPERTIES TIMEOUT ${QT_TIMEOUT})
    endif()
endfunction()

# quavel_folder_library(<target> [WIN32_ONLY <files...>] [LIBS <targets...>] [WIN32_LIBS <libs...>])
#
# A folder's library: every .cpp file of the folder. Files named in WIN32_ONLY use
# the Windows API and are left out of the native build.
function(quavel_folder_library target)
    cmake_parse_arguments(QL "" "" "WIN32_ONLY;LIBS;WIN32_LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT WIN32)
        foreach(f ${QL_WIN32_ONLY})
            list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${f})
        endforeach()
    endif()
    if(sources)
        add_library(${target} STATIC ${sources})
        target_link_libraries(${target} PUBLIC ${QL_LIBS})
        if(WIN32 AND QL_WIN32_LIBS)
            target_link_libraries(${target} PUBLIC ${QL_WIN32_LIBS})
        endif()
    else()
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE ${QL_LIBS})
    endif()
endfunction()
