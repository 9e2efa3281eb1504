# qel_records_test(name sources...): a headless test program of the record
# classes, linked without widgets and run by ctest beside the engine.
function(qel_records_test name)
    if(NOT (TARGET qel_records AND TARGET qel_platform_fake))
        return()
    endif()
    add_executable(${name} ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE qel_records qel_platform_fake GTest::gtest_main)
    if(TARGET qelisam)
        add_dependencies(${name} qelisam)
    endif()
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
endfunction()
