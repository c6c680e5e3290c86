# The real settings dialog under wine (Windows build only). The test program exports every
# host function name, bound to one stub, so that Vesko.dll loads into it; the names come
# from the plug-in's own table. A window needs an X display, so the test runs under
# xvfb-run. It and hotsync_tests both change the Palm Desktop's registry keys.
if(WIN32)
  file(STRINGS ${PROJECT_SOURCE_DIR}/host/BeckyAPI.cpp host_names REGEX "^ *\"BKA_[A-Za-z0-9_]+\",")
  set(def "EXPORTS\n")
  foreach(line ${host_names})
    string(REGEX MATCH "BKA_[A-Za-z0-9_]+" name "${line}")
    string(APPEND def "  ${name} = VeskoTestHostStub\n")
  endforeach()
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/host_functions.def "${def}")
  add_executable(settings_dialog_tests ${CMAKE_CURRENT_LIST_DIR}/dialog/settings_dialog_test.cpp)
  target_link_libraries(settings_dialog_tests PRIVATE vesko_test_support)
  target_link_options(settings_dialog_tests PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/host_functions.def)
  add_dependencies(settings_dialog_tests Vesko)
  add_test(NAME settings_dialog_tests
           COMMAND xvfb-run -a ${PROJECT_SOURCE_DIR}/cmake/wine-run
                   $<TARGET_FILE:settings_dialog_tests>)
  set_tests_properties(settings_dialog_tests PROPERTIES TIMEOUT 300 RESOURCE_LOCK palm_registry
                                                         LABELS wine)
  # hotsync_tests is registered after this file is read.
  cmake_language(DEFER CALL set_tests_properties hotsync_tests PROPERTIES RESOURCE_LOCK palm_registry)
endif()
