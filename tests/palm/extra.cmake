# The command-line checks run the vesko program of the same build.
if(NOT CMAKE_CROSSCOMPILING)
  add_dependencies(palm_tests vesko)
endif()
# The benchmarks' Shift JIS prose, for the checks that run on the benchmark corpus.
if(NOT WIN32)
  target_sources(palm_tests PRIVATE ${PROJECT_SOURCE_DIR}/bench/support/Corpus.cpp)
endif()
