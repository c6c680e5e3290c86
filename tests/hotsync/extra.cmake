# The real settings dialog under wine (Windows build only). The test program exports every
# host function name, bound to one stub, so that Vesko.dll loads into it; the names come
# from the plug-in's own table. A window needs an X display, so the test runs under
# xvfb-run. It runs alone, under a wine server of its own: wine draws every window of a
# prefix on one desktop, made by the first program that asks for one, and a test program
# started without a display before or beside it would leave the dialog on a desktop that
# shows nothing. Running alone also keeps it apart
# from hotsync_tests, which changes the same Palm Desktop registry keys.
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
           COMMAND xvfb-run -a ${CMAKE_CROSSCOMPILING_EMULATOR} --own-desktop
                   $<TARGET_FILE:settings_dialog_tests>)
  set_tests_properties(settings_dialog_tests PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE
                                                         LABELS wine)
endif()
