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

# Adds every child folder of the current folder that has a CMakeLists.txt, so that each owner of
# a child folder registers its own targets without touching a shared list.
macro(velt_add_child_dirs)
    file(GLOB _velt_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT _velt_children)
    foreach(_velt_child ${_velt_children})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_velt_child}/CMakeLists.txt)
            add_subdirectory(${_velt_child})
        endif()
    endforeach()
endmacro()

# Compiles the target, and links it when it is a program, with the win32 thread-model compiler
# (VELT_WIN32_MODEL_CXX) instead of the build's own, behind the build's compiler launcher if any.
function(velt_win32_model target)
    set(swap ${CMAKE_SOURCE_DIR}/scripts/other-compiler.sh)
    set(compile ${swap} ${CMAKE_CXX_COMPILER_LAUNCHER} ${VELT_WIN32_MODEL_CXX} --)
    set(link ${swap} ${VELT_WIN32_MODEL_CXX} --)
    set_target_properties(${target} PROPERTIES
        CXX_COMPILER_LAUNCHER "${compile}" CXX_LINKER_LAUNCHER "${link}")
endfunction()

function(_velt_library name sources deps)
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC ${deps})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${deps})
    endif()
endfunction()

# A library of every .cpp in the current folder (an interface library while it has none yet).
# The Windows build makes it twice: NAME for the test programs, with the build's compiler (the
# posix thread model, which GoogleTest needs), and NAME_program for Veltarion.exe, with the
# win32 thread-model compiler whose runtime the program links against (src/win32/main).
function(velt_folder_library name)
    cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
    file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    _velt_library(${name} "${_srcs}" "${L_DEPS}")
    if(NOT VELT_WIN32)
        return()
    endif()
    # A dependency's twin, once every folder is read (some are defined after their users).
    set(deps)
    foreach(dep IN LISTS L_DEPS)
        list(APPEND deps $<IF:$<TARGET_EXISTS:${dep}_program>,${dep}_program,${dep}>)
    endforeach()
    _velt_library(${name}_program "${_srcs}" "${deps}")
    if(_srcs)
        velt_win32_model(${name}_program)
        # Each object carries its compiler form, for the program's optimisation as a whole at
        # its link (which also leaves out the run-time type records), and its code, which is
        # what the archive's index names.
        target_compile_options(${name}_program PRIVATE -flto -ffat-lto-objects -fno-rtti)
    endif()
endfunction()
