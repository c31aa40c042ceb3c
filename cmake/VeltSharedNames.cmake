# Writes the shared names (cmake/shared-names.txt) for each language into VELT_GENERATED_DIR:
#   SharedNames.h    C++: velt::shared::kName
#   SetupNames.h     C (the setup DLL): VELT_Name, a wide string
#   SharedNames.nsh  NSIS: ${Name}
#   SharedNames.wxi  WiX: $(var.Name)
# and windmc's header of the Event Log's message table (below).
# A file is rewritten only when its text changes.
set(VELT_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated CACHE INTERNAL "The generated headers")
set(_source ${CMAKE_SOURCE_DIR}/cmake/shared-names.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_source})
file(READ ${_source} _text)
# A value may hold ";" (SDDL), which a CMake list would split on.
string(REPLACE ";" "<semicolon>" _text "${_text}")
string(REPLACE "\n" ";" _lines "${_text}")
set(_from "Written by the build from cmake/shared-names.txt: change the names there.")
set(_cxx "// ${_from}\n#pragma once\n\nnamespace velt::shared {\n\n")
set(_c "/* ${_from} */\n#pragma once\n")
set(_nsh "; ${_from}\n")
set(_wxi "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- ${_from} -->\n<Include>\n")
foreach(_line IN LISTS _lines)
    if(NOT _line MATCHES "^([A-Za-z]+)[ ]+([^ ].*)$")
        continue()
    endif()
    set(_name ${CMAKE_MATCH_1})
    string(REPLACE "<semicolon>" ";" _value "${CMAKE_MATCH_2}")
    string(REPLACE "\\" "\\\\" _quoted "${_value}")
    string(APPEND _cxx "inline constexpr const char* k${_name} = \"${_quoted}\";\n")
    string(APPEND _c "#define VELT_${_name} L\"${_quoted}\"\n")
    string(APPEND _nsh "!define ${_name} \"${_value}\"\n")
    string(APPEND _wxi "  <?define ${_name} = \"${_value}\" ?>\n")
endforeach()
string(APPEND _cxx "\n} // namespace velt::shared\n")
string(APPEND _wxi "</Include>\n")
foreach(_out IN ITEMS "SharedNames.h;_cxx" "SetupNames.h;_c" "SharedNames.nsh;_nsh" "SharedNames.wxi;_wxi")
    list(GET _out 0 _file)
    list(GET _out 1 _var)
    file(CONFIGURE OUTPUT ${VELT_GENERATED_DIR}/${_file} CONTENT "${${_var}}" @ONLY)
endforeach()

# The Event Log's IDs, defined once in the message table (resources/VeltarionEvents.mc): windmc's
# header of it, VeltarionEvents.h (VELT_EVENT_...), beside the shared names for every build. The
# win32 build compiles the table itself into the resources (resources/CMakeLists.txt).
find_program(VELT_WINDMC NAMES i686-w64-mingw32-windmc windmc REQUIRED)
set(_messages ${CMAKE_SOURCE_DIR}/resources/VeltarionEvents.mc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_messages})
set(_scratch ${CMAKE_BINARY_DIR}/generated-events)
file(MAKE_DIRECTORY ${_scratch})
execute_process(COMMAND ${VELT_WINDMC} -h ${_scratch} -r ${_scratch} ${_messages}
                RESULT_VARIABLE _windmc)
if(NOT _windmc EQUAL 0)
    message(FATAL_ERROR "windmc could not read ${_messages}")
endif()
file(COPY_FILE ${_scratch}/VeltarionEvents.h ${VELT_GENERATED_DIR}/VeltarionEvents.h ONLY_IF_DIFFERENT)
