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
)
target_link_libraries(glm_output_tests PRIVATE glm_output_support GTest::gtest_main)
gtest_discover_tests(glm_output_tests DISCOVERY_MODE PRE_TEST)
