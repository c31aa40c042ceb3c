# Authenticode signing of every file the packages ship (Debian's osslsigncode).
#
# A release build names its code-signing certificate and key, as cache variables or, for a CI's
# secrets, as environment variables of the same names at configure time:
#   VELT_SIGN_CERT           certificate (PEM or DER; or a PKCS#12 .pfx holding the key too)
#   VELT_SIGN_KEY            private key (empty with a .pfx)
#   VELT_SIGN_TIMESTAMP_URL  RFC 3161 timestamp server (empty: no timestamp)
#   VELT_SIGN_PASS_FILE      (environment only, at build time) a file holding the key's password
# Without a certificate the build makes a throwaway self-signed one in build/.../sign and signs
# with it, so that every build proves its files are signable and their signatures verify; such a
# build is test-signed (VELT_TEST_SIGNED), and its packages say so.
#
#   VELT_SIGN_COMMAND   the command that signs one file in place and checks the signature
#                       (append the file); VELT_SIGN_SHELL the same as one shell command line
#   velt_signed_copy(target SOURCE file DESTINATION file [DEPENDS ...])
#                       a target that makes a signed copy of a built file
#   velt_signed_program(var program-target)
#                       the signed copy of a build of Veltarion.exe (file in var; target
#                       <program-target>_signed, made once however often it is asked for)
find_program(VELT_OSSLSIGNCODE osslsigncode REQUIRED)
foreach(_v VELT_SIGN_CERT VELT_SIGN_KEY VELT_SIGN_TIMESTAMP_URL)
    if(NOT ${_v} AND DEFINED ENV{${_v}})
        set(${_v} "$ENV{${_v}}")
    endif()
endforeach()
set(VELT_SIGN_CERT "${VELT_SIGN_CERT}" CACHE FILEPATH "Code-signing certificate (empty: test-signed)")
set(VELT_SIGN_KEY "${VELT_SIGN_KEY}" CACHE FILEPATH "Private key of VELT_SIGN_CERT")
set(VELT_SIGN_TIMESTAMP_URL "${VELT_SIGN_TIMESTAMP_URL}" CACHE STRING "RFC 3161 timestamp server")

set(_dir ${CMAKE_BINARY_DIR}/sign)
if(VELT_SIGN_CERT)
    set(VELT_TEST_SIGNED OFF CACHE INTERNAL "")
    set(_cert ${VELT_SIGN_CERT})
    set(_key "${VELT_SIGN_KEY}")
    set(_trust release)
else()
    set(VELT_TEST_SIGNED ON CACHE INTERNAL "")
    set(_cert ${_dir}/test-cert.pem)
    set(_key ${_dir}/test-key.pem)
    set(_trust test)
    if(NOT EXISTS ${_cert})
        find_program(VELT_OPENSSL openssl REQUIRED)
        file(MAKE_DIRECTORY ${_dir})
        execute_process(
            COMMAND ${VELT_OPENSSL} req -x509 -newkey rsa:2048 -nodes -days 3650
                    -subj "/CN=Veltarion test signing (not trusted)"
                    -addext extendedKeyUsage=codeSigning -keyout ${_key} -out ${_cert}
            RESULT_VARIABLE _made OUTPUT_QUIET ERROR_QUIET)
        if(NOT _made EQUAL 0)
            message(FATAL_ERROR "openssl could not make the test-signing certificate")
        endif()
    endif()
endif()
set(_script ${CMAKE_SOURCE_DIR}/scripts/sign-file.sh)
file(CONFIGURE OUTPUT ${_dir}/settings.sh CONTENT "cert='${_cert}'
key='${_key}'
timestamp='${VELT_SIGN_TIMESTAMP_URL}'
trust=${_trust}
")
# Cached: the packages of other folders (tests) are signed too.
set(VELT_SIGN_COMMAND bash ${_script} ${_dir}/settings.sh CACHE INTERNAL "")
set(VELT_SIGN_SHELL "bash \"${_script}\" \"${_dir}/settings.sh\"" CACHE INTERNAL "")

function(velt_signed_copy target)
    cmake_parse_arguments(S "" "SOURCE;DESTINATION" "DEPENDS" ${ARGN})
    add_custom_command(OUTPUT ${S_DESTINATION}
        COMMAND ${CMAKE_COMMAND} -E copy ${S_SOURCE} ${S_DESTINATION}
        COMMAND ${VELT_SIGN_COMMAND} ${S_DESTINATION}
        DEPENDS ${S_SOURCE} ${S_DEPENDS} ${CMAKE_SOURCE_DIR}/scripts/sign-file.sh
        COMMENT "Signing ${S_DESTINATION}"
        VERBATIM)
    add_custom_target(${target} DEPENDS ${S_DESTINATION})
endfunction()

function(velt_signed_program var program)
    set(file ${CMAKE_BINARY_DIR}/signed/${program}/Veltarion.exe)
    if(NOT TARGET ${program}_signed)
        velt_signed_copy(${program}_signed SOURCE $<TARGET_FILE:${program}> DESTINATION ${file}
                         DEPENDS ${program})
    endif()
    set(${var} ${file} PARENT_SCOPE)
endfunction()

# The notice of a test-signed build's packages: the given notice with the test-signed paragraph.
function(velt_test_signed_notice var notice)
    set(out ${CMAKE_BINARY_DIR}/signed/notice.txt)
    set(extra ${CMAKE_SOURCE_DIR}/packaging/test-signed-notice.txt)
    file(READ ${notice} text)
    file(READ ${extra} more)
    file(CONFIGURE OUTPUT ${out} CONTENT "${text}\n${more}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${notice} ${extra})
    set(${var} ${out} PARENT_SCOPE)
endfunction()
