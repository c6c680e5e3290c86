# The command-line checks run the vesko program of the same build.
if(NOT CMAKE_CROSSCOMPILING)
  add_dependencies(palm_tests vesko)
endif()
