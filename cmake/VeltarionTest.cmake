# Test helpers shared by every tests/ folder.
#
#   velt_native_test(NAME n SOURCES ... [LIBS ...])
#       A GoogleTest suite built and run natively (sanitizers on in the native preset).
#   velt_wine_test(NAME n SOURCES ... [LIBS ...] [LOCK resource] [TIMEOUT s] [NO_GTEST])
#       A MinGW test executable run under Wine in the build's own prefix (with the Xvfb display
#       and the persistent wineserver that the wine_setup fixture provides); TIMEOUT defaults
#       to 120 s.
#   velt_wine64_test(NAME n PROGRAM exe-target [ARGS ...] [TIMEOUT s])
#       The same test program run again in a 64-bit prefix (64-bit Windows, the program under
#       WoW64), from a folder of its own (x64/ beside it) where the x64 stand-in test driver is
#       its OMXDRV.SYS; alone (RUN_SERIAL), with the wine64 fixture's prefix, display and server.

set(VELT_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT TARGET gtest)
    set(gtest_disable_pthreads ${VELT_WIN32} CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${VELT_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

set(VELT_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(VELT_WINE64_DIR ${CMAKE_BINARY_DIR}/wine64)

if(NOT VELT_WIN32)
    include(GoogleTest)
endif()

function(velt_native_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    if(VELT_WIN32)
        return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60)
endfunction()

function(velt_wine_test)
    cmake_parse_arguments(T "NO_GTEST" "NAME;LOCK;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT VELT_WIN32)
        return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    if(T_NO_GTEST)
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
    else()
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gtest_main)
    endif()
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    # A hang fails the test within minutes instead of holding up the whole run; the suites take
    # seconds, and their waits are bounded well below this.
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        FIXTURES_REQUIRED wine
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "VELT_WINE_DIR=${VELT_WINE_DIR}")
    if(T_LOCK)
        set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK ${T_LOCK})
    endif()
endfunction()

function(velt_wine64_test)
    cmake_parse_arguments(T "" "NAME;PROGRAM;TIMEOUT" "ARGS" ${ARGN})
    if(NOT VELT_WIN32)
        return()
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(dir $<TARGET_FILE_DIR:${T_PROGRAM}>/x64)
    add_dependencies(${T_PROGRAM} velt_omxdrv_x64)
    add_custom_command(TARGET ${T_PROGRAM} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${T_PROGRAM}>
                $<TARGET_PROPERTY:velt_omxdrv_x64,VELT_SYS_FILE> ${dir}
        VERBATIM)
    # Not the target itself (that would run the x86 folder's copy): the emulator is named here.
    add_test(NAME ${T_NAME}
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine/wine-run.sh
                     ${dir}/$<TARGET_FILE_NAME:${T_PROGRAM}> ${T_ARGS})
    set_tests_properties(${T_NAME} PROPERTIES
        FIXTURES_REQUIRED wine64 RUN_SERIAL TRUE TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "VELT_WINE_DIR=${VELT_WINE64_DIR}")
endfunction()

if(VELT_WIN32)
    # One prefix, one Xvfb and one persistent wineserver for every Wine test of this build, and
    # a 64-bit one for the tests that run on 64-bit Windows too.
    set(_velt_beds wine wine64)
    set(_velt_arches win32 win64)
    foreach(bed arch IN ZIP_LISTS _velt_beds _velt_arches)
        set(bed_dir ${CMAKE_BINARY_DIR}/${bed})
        add_test(NAME ${bed}_setup
                 COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine/testbed.sh start ${bed_dir} ${arch})
        add_test(NAME ${bed}_teardown
                 COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine/testbed.sh stop ${bed_dir})
        set_tests_properties(${bed}_setup PROPERTIES FIXTURES_SETUP ${bed} TIMEOUT 180)
        set_tests_properties(${bed}_teardown PROPERTIES FIXTURES_CLEANUP ${bed} TIMEOUT 60)
    endforeach()
endif()
