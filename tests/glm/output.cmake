# Drawing, writer, welding, image and extension-query tests of the model library.

set(GLM_OUTPUT_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})

add_library(glm_output_support STATIC
    ${GLM_OUTPUT_TEST_DIR}/output_support.h
    ${GLM_OUTPUT_TEST_DIR}/output_support.cpp
)
target_link_libraries(glm_output_support PUBLIC radarglm GTest::gtest)

# No GL context needed.
add_executable(glm_output_tests
    ${GLM_OUTPUT_TEST_DIR}/weld_test.cpp
    ${GLM_OUTPUT_TEST_DIR}/ppm_test.cpp
    ${GLM_OUTPUT_TEST_DIR}/writer_test.cpp
)
target_link_libraries(glm_output_tests PRIVATE glm_output_support GTest::gtest_main)
gtest_discover_tests(glm_output_tests DISCOVERY_MODE PRE_TEST)

# The GL-bound tests create their own context on the test display.
add_library(glm_gl_support STATIC
    ${GLM_OUTPUT_TEST_DIR}/gl_test_context.h
    ${GLM_OUTPUT_TEST_DIR}/gl_test_context.cpp
)
target_link_libraries(glm_gl_support PUBLIC Qt5::Gui GTest::gtest radartestsupport)

# Its own program: the extension list is cached process-wide.
add_executable(glm_extension_tests ${GLM_OUTPUT_TEST_DIR}/extension_test.cpp)
target_link_libraries(glm_extension_tests PRIVATE radarglm glm_gl_support ${CMAKE_DL_LIBS})
gtest_discover_tests(glm_extension_tests DISCOVERY_MODE PRE_TEST)

add_executable(glm_draw_tests ${GLM_OUTPUT_TEST_DIR}/draw_test.cpp)
target_link_libraries(glm_draw_tests PRIVATE glm_output_support glm_gl_support)
gtest_discover_tests(glm_draw_tests DISCOVERY_MODE PRE_TEST)
