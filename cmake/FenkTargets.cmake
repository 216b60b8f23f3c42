# Shared build rules: one static library per folder, one test program per unit.

set(FENK_WARNINGS -Wall -Wextra)

# fenk_add_library(NAME LINK <libraries...>)
# Builds every .cpp/.h of the calling folder into one static library.
function(fenk_add_library name)
    cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${FENK_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
endfunction()

# fenk_add_tests(MAIN <test main library> LINK <libraries...> [TIMEOUT seconds] [SOURCES <files...>]
#                [ENVIRONMENT <NAME=value...>])
# Makes one test program per *Test.cpp of the calling folder (or per file of SOURCES) and registers it with ctest,
# run offscreen with the test data and any further ENVIRONMENT.
function(fenk_add_tests)
    cmake_parse_arguments(ARG "" "MAIN;TIMEOUT" "LINK;SOURCES;ENVIRONMENT" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    if(ARG_SOURCES)
        list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE tests)
    else()
        file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
    endif()
    foreach(test_source ${tests})
        get_filename_component(test_name ${test_source} NAME_WE)
        add_executable(${test_name} ${test_source})
        target_compile_options(${test_name} PRIVATE ${FENK_WARNINGS})
        target_link_libraries(${test_name} PRIVATE ${ARG_MAIN} ${ARG_LINK})
        add_test(NAME ${test_name} COMMAND ${test_name})
        set_tests_properties(${test_name} PROPERTIES
            TIMEOUT ${ARG_TIMEOUT}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;FENK_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;${ARG_ENVIRONMENT}"
            ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORMTHEME=unset:")
    endforeach()
endfunction()
