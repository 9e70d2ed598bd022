# tavik_add_test(NAME core-loader SOURCES a.cpp b.cpp LIBS Tavik::Config [WIDGETS])
# One GoogleTest program per unit; the CTest name carries the layer prefix. Widget tests run on
# the offscreen platform. Every test gets a scratch folder of its own in TAVIK_TEST_TMP.

include(GoogleTest)

function(tavik_add_test)
  cmake_parse_arguments(T "WIDGETS" "NAME" "SOURCES;LIBS" ${ARGN})
  string(REPLACE "-" "_" exe "test_${T_NAME}")
  add_executable(${exe} ${T_SOURCES})
  target_link_libraries(${exe} PRIVATE ${T_LIBS} Tavik::Warnings GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${exe} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${exe} PRIVATE
    TAVIK_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TAVIK_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${exe})
  # No configuration of the machine or the user (an installed package's /etc/xdg/tavik,
  # ~/.config/tavik) takes the place of the one a test gives.
  set(env "TAVIK_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp/${T_NAME}" "TAVIK_CONFIG_DIR="
          "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-tmp/${T_NAME}/no-xdg-home"
          "XDG_CONFIG_DIRS=${CMAKE_BINARY_DIR}/test-tmp/${T_NAME}/no-xdg")
  if(T_WIDGETS)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()
