# The product's build functions.
#   velt_folder_library(name DEPS ...)  a library of every .cpp in the current folder (an interface
#       library while it has none); in the program's own build (VELT_PROGRAM_ONLY) each object
#       carries its compiler form, for the program's optimisation as a whole at its link (which
#       also leaves out the run-time type records), and its code, which the archive's index names.
#   velt_add_child_dirs()  adds every child folder that has a CMakeLists.txt, so that each owner of
#       a child folder registers its own targets without touching a shared list.

function(velt_folder_library name)
    cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
    # C sources are the ones the setup DLL compiles as well.
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
    if(NOT srcs)
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${L_DEPS})
        return()
    endif()
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
    if(VELT_PROGRAM_ONLY)
        target_compile_options(${name} PRIVATE -flto -ffat-lto-objects
                                                $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
    endif()
endfunction()

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
