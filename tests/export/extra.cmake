# The end-to-end cases run the vesko program, which loads the plug-in library.
if(NOT WIN32)
  add_dependencies(export_tests vesko Vesko)
endif()
