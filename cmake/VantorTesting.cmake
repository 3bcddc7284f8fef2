# vantor_add_test(NAME name SOURCES ... LIBS ... [GUI | WIDGETS] [TIMEOUT seconds])
# Builds one GoogleTest executable and registers it with CTest. Every test runs
# with the offscreen Qt platform; GUI selects a main that creates a
# QGuiApplication (pictures, fonts) instead of a QCoreApplication, WIDGETS one
# that creates a QApplication (windows) on a desktop-sized offscreen screen
# (1600 x 1000, tests/support/offscreen-screen.json) rather than the
# platform's 800 x 600.
function(vantor_add_test)
    cmake_parse_arguments(T "GUI;WIDGETS" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    if(T_WIDGETS)
        set(main vantor_test_main_widgets)
    elseif(T_GUI)
        set(main vantor_test_main_gui)
    else()
        set(main vantor_test_main_core)
    endif()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${main} vantor_test_support
        GTest::gtest GTest::gmock vantor_options)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(platform offscreen)
    if(T_WIDGETS)
        set(platform "offscreen:configfile=${CMAKE_SOURCE_DIR}/tests/support/offscreen-screen.json")
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=${platform};VANTOR_BIN_DIR=${CMAKE_BINARY_DIR}/bin;VANTOR_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
