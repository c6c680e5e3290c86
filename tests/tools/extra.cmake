# The plug-in tests run the real vesko program, and a copy of it that lacks one host
# function, so that the plug-in's own binding sees the gap.
if(NOT WIN32)
  add_executable(vesko_lacking_connect ${PROJECT_SOURCE_DIR}/tools/main.cpp)
  target_link_libraries(vesko_lacking_connect PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,vesko_tools>")
  set_target_properties(vesko_lacking_connect PROPERTIES ENABLE_EXPORTS ON)
  target_link_options(vesko_lacking_connect PRIVATE
                      -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/posix/lacking_connect.map)
  # A plug-in whose start crashes, beside which the test puts a copy of vesko.
  add_library(crashing_plugin SHARED ${CMAKE_CURRENT_LIST_DIR}/posix/crashing_plugin.c)
  set_target_properties(crashing_plugin PROPERTIES PREFIX "" OUTPUT_NAME Vesko SUFFIX ".so"
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/crashing)
  add_dependencies(${target} vesko vesko_lacking_connect crashing_plugin)
endif()

# A library whose version resource lacks its translation table, for the version
# reader's error. The Windows library exports exactly its four entry points, with their ordinals.
if(WIN32)
  add_library(no_translation SHARED ${CMAKE_CURRENT_LIST_DIR}/win32/no_translation.c
              ${CMAKE_CURRENT_LIST_DIR}/win32/no_translation.rc)
  add_dependencies(${target} Vesko no_translation)
  add_test(NAME vesko_dll_exports
           COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:Vesko> -DOBJDUMP=${CMAKE_OBJDUMP}
                   -P ${CMAKE_CURRENT_LIST_DIR}/win32/check_exports.cmake)
  add_test(NAME vesko_dll_imports
           COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:Vesko> -DOBJDUMP=${CMAKE_OBJDUMP}
                   -P ${CMAKE_CURRENT_LIST_DIR}/win32/check_imports.cmake)
endif()

# The install step, and the installed vesko run from elsewhere with a fresh home folder.
if(NOT WIN32)
  if(HELP2MAN)
    set(with_man ON)
  else()
    set(with_man OFF)
  endif()
  add_test(NAME vesko_install
           COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR}
                   -DWORK=${CMAKE_CURRENT_BINARY_DIR}/install-test
                   -DPLUGINDIR=${VESKO_INSTALL_PLUGINDIR} -DMANDIR=${CMAKE_INSTALL_MANDIR}
                   -DMAN=${with_man} -P ${CMAKE_CURRENT_LIST_DIR}/posix/install_test.cmake)
endif()
