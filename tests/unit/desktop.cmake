# The wallpaper's placement, screen composition and bitmap view (portable),
# and the choice of the Linux desktop backend.
sarvo_unit_test(sarvo_desktop_rules_test placement_test.cpp compose_test.cpp bmp_view_test.cpp)

if(SARVO_PLATFORM STREQUAL "linux")
  # Links the real desktop services, not the test-only fakes.
  add_executable(sarvo_desktop_backends_test linux/desktop_backends_test.cpp)
  target_include_directories(sarvo_desktop_backends_test PRIVATE ${PROJECT_SOURCE_DIR}/src/platform/linux)
  target_link_libraries(sarvo_desktop_backends_test PRIVATE sarvo_desktop sarvo_platform sarvo_base
                        GTest::gtest_main sarvo_warnings)
  gtest_discover_tests(sarvo_desktop_backends_test DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 60)
endif()
