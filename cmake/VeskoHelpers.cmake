# Small helpers shared by the subsystem folders.

# vesko_library(NAME [DEPS ...]): a static library of every .cpp in the folder.
# Files under win32/ or posix/ are taken only for their own build.
function(vesko_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(WIN32)
    file(GLOB side CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
  else()
    file(GLOB side CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/posix/*.cpp)
  endif()
  if(sources OR side)
    add_library(${name} STATIC ${sources} ${side})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)  # nothing built here yet
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# CLI11 is header-only. The cross build must not see the host's /usr/include,
# so it gets a folder that holds only CLI11.
function(vesko_use_cli11 target)
  if(CMAKE_CROSSCOMPILING)
    set(dir ${CMAKE_BINARY_DIR}/cli11-include)
    if(NOT EXISTS ${dir}/CLI)
      file(MAKE_DIRECTORY ${dir})
      file(CREATE_LINK /usr/include/CLI ${dir}/CLI SYMBOLIC)
    endif()
    target_include_directories(${target} SYSTEM PRIVATE ${dir})
  else()
    find_package(CLI11 CONFIG REQUIRED)
    target_link_libraries(${target} PRIVATE CLI11::CLI11)
  endif()
endfunction()

# vesko_add_gtest(TARGET): registers a GoogleTest program with ctest. Natively every
# case is its own ctest entry, labelled with the program's name (presets pick programs by
# label); under wine each program runs once, since every wine start costs about a second.
# Cross-built tests carry the label "wine", so a machine that can't run 32-bit programs
# can leave them out (ctest -LE wine).
function(vesko_add_gtest target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES ENVIRONMENT "TZ=${VESKO_TEST_TZ}" TIMEOUT 600
                                              LABELS wine)
  else()
    include(GoogleTest)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "TZ=${VESKO_TEST_TZ}" LABELS ${target})
  endif()
endfunction()

set(VESKO_TEST_TZ "Asia/Tokyo" CACHE STRING "Time zone that the tests run in")
