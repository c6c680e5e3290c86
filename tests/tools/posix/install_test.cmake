# Installs the build into a fresh prefix and runs the installed vesko as a new user would:
# from another folder, with a home folder of its own and no data folder yet. The export
# must find the plug-in it was installed with, set up the data folder and the sample store,
# and deliver the e-book.
#   cmake -DBUILD=... -DWORK=... -DPLUGINDIR=... -DMANDIR=... -DMAN=ON|OFF -P install_test.cmake
cmake_minimum_required(VERSION 3.25)

function(fail what)
  message(FATAL_ERROR "${what}")
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                RESULT_VARIABLE code OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT code EQUAL 0)
  fail("cmake --install failed (${code}): ${err}")
endif()
set(installed bin/vesko ${PLUGINDIR}/Vesko.so)
if(MAN)
  list(APPEND installed ${MANDIR}/man1/vesko.1)
endif()
foreach(file IN LISTS installed)
  if(NOT EXISTS ${prefix}/${file})
    fail("not installed: ${file}")
  endif()
endforeach()
if(MAN)
  file(READ ${prefix}/${MANDIR}/man1/vesko.1 page)
  foreach(part ".TH VESKO \"1\"" "vesko doc write" "--store")
    string(FIND "${page}" "${part}" at)
    if(at EQUAL -1)
      fail("the man page lacks \"${part}\"")
    endif()
  endforeach()
endif()

file(MAKE_DIRECTORY ${WORK}/home ${WORK}/elsewhere)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=VESKO_HOME --unset=XDG_DATA_HOME HOME=${WORK}/home
            LC_ALL=C.UTF-8 ${prefix}/bin/vesko export
    WORKING_DIRECTORY ${WORK}/elsewhere
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL 0)
  fail("the installed vesko export failed (${code}): ${out}${err}")
endif()
file(GLOB books ${WORK}/home/.local/share/vesko/PlugIns/*.pdb)
list(LENGTH books count)
if(NOT count EQUAL 1)
  fail("expected one e-book in the fresh data folder, found ${count}: ${out}${err}")
endif()
file(REMOVE_RECURSE ${WORK})
