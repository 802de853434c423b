if(SARVO_PLATFORM STREQUAL "linux")
  sarvo_unit_test(sarvo_linux_services_test linux/catalogue_links_test.cpp linux/services_test.cpp)
  target_include_directories(sarvo_linux_services_test PRIVATE ${PROJECT_SOURCE_DIR}/src/platform/linux
                             ${CMAKE_CURRENT_SOURCE_DIR})
endif()

if(SARVO_PLATFORM STREQUAL "linux")
  # Program starts with the real desktop service rather than the fake.
  add_executable(sarvo_linux_process_test linux/process_test.cpp)
  target_link_libraries(sarvo_linux_process_test PRIVATE sarvo_test_support sarvo_core sarvo_desktop
                        sarvo_ui_scripted sarvo_platform sarvo_base GTest::gtest_main sarvo_warnings)
  gtest_discover_tests(sarvo_linux_process_test DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 60)
endif()
