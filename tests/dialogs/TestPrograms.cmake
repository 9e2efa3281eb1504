# qel_test_program(NAME [WIDGETS] SOURCES file... LIBRARIES target...)
# A test program registered with ctest, run from the build folder on the
# offscreen platform. WIDGETS: it opens windows, so it gets the main that
# makes the application object (WidgetsMain.cpp) and the images.
function(qel_test_program name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "WIDGETS" "" "SOURCES;LIBRARIES")
    add_executable(${name} ${arg_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
    if(arg_WIDGETS)
        target_sources(${name} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/WidgetsMain.cpp)
        if(TARGET qel_resources)
            target_sources(${name} PRIVATE $<TARGET_OBJECTS:qel_resources>)
        endif()
        target_link_libraries(${name} PRIVATE GTest::gtest)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    if(TARGET qelisam)
        add_dependencies(${name} qelisam)
    endif()
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 30
                         PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
