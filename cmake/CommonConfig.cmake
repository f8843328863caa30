# One place for the language standard, warnings and sanitizers: every target links
# spolebox_common instead of repeating them.
add_library(spolebox_common INTERFACE)
target_compile_features(spolebox_common INTERFACE cxx_std_20)
target_compile_options(spolebox_common INTERFACE -Wall -Wextra -Wpedantic)
if(SPOLEBOX_WERROR)
    target_compile_options(spolebox_common INTERFACE -Werror)
endif()
target_compile_definitions(spolebox_common INTERFACE QT_NO_KEYWORDS QT_NO_CAST_FROM_BYTEARRAY)
if(SPOLEBOX_SANITIZE)
    target_compile_options(spolebox_common INTERFACE -fsanitize=address,undefined
                                                     -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(spolebox_common INTERFACE -fsanitize=address,undefined)
endif()

# Adds a Qt Test executable run headless by CTest.
function(spolebox_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE spolebox_common Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
endfunction()

# A window folder's library: every *.cpp in the folder. Returns nothing when the folder
# has no sources yet, so that the tree builds while windows are being added.
function(spolebox_add_window_library name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        add_library(${name} INTERFACE)
        target_link_libraries(${name} INTERFACE ${ARG_LIBS})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC spolebox_common ${ARG_LIBS})
endfunction()
