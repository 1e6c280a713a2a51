# Shared helpers for the Lumivex build.

# lumivex_add_test(NAME SOURCES... LIBS lib...)
# Builds one GoogleTest executable and registers its cases with CTest. Tests run with
# the source tree's tests/data folder available as LUMIVEX_TEST_DATA.
function(lumivex_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(${name} PRIVATE
        LUMIVEX_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 120
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUMIVEX_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()

# Links every Lumivex library that exists in this build into target.
function(lumivex_link_available target)
    foreach(lib ${ARGN})
        if(TARGET ${lib})
            target_link_libraries(${target} PRIVATE ${lib})
        endif()
    endforeach()
endfunction()
