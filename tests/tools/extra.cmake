# The plug-in tests run the real vesko program, and a copy of it that lacks one host
# function, so that the plug-in's own binding sees the gap.
if(NOT WIN32)
  add_executable(vesko_lacking_connect ${PROJECT_SOURCE_DIR}/tools/main.cpp)
  target_link_libraries(vesko_lacking_connect PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,vesko_tools>")
  set_target_properties(vesko_lacking_connect PROPERTIES ENABLE_EXPORTS ON)
  target_link_options(vesko_lacking_connect PRIVATE
                      -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/posix/lacking_connect.map)
  add_dependencies(${target} vesko vesko_lacking_connect)
endif()
