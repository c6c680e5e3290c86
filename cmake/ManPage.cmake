# Writes vesko's man page (OUTPUT) with help2man (HELP2MAN) from the program's own --help
# and --version (VESKO), and adds a section COMMANDS with each command's --help, found by
# following the "Subcommands:" lists of the help texts.
#   cmake -DVESKO=... -DHELP2MAN=... -DOUTPUT=... -P ManPage.cmake
cmake_minimum_required(VERSION 3.25)

# The names listed under "Subcommands:" in a help text.
function(subcommands_of help out_var)
  set(names "")
  string(FIND "${help}" "Subcommands:\n" at)
  if(at GREATER -1)
    string(SUBSTRING "${help}" ${at} -1 rest)
    string(REPLACE "\n" ";" lines "${rest}")
    list(REMOVE_AT lines 0)
    foreach(line IN LISTS lines)
      if(NOT line MATCHES "^  ([a-z][a-z0-9-]*)")
        break()
      endif()
      list(APPEND names ${CMAKE_MATCH_1})
    endforeach()
  endif()
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

# Appends to the variable "section" the roff text of the help of each command below words.
function(describe_commands words)
  execute_process(COMMAND ${VESKO} ${words} --help OUTPUT_VARIABLE help RESULT_VARIABLE code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "vesko ${words} --help failed: ${code}")
  endif()
  subcommands_of("${help}" names)
  foreach(name IN LISTS names)
    set(command ${words} ${name})
    execute_process(COMMAND ${VESKO} ${command} --help OUTPUT_VARIABLE text)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    list(JOIN command " " title)
    string(APPEND section ".SS \"vesko ${title}\"\n.nf\n${text}.fi\n")
    describe_commands("${command}")
  endforeach()
  set(section "${section}" PARENT_SCOPE)
endfunction()

set(section "")
describe_commands("")
get_filename_component(folder ${OUTPUT} DIRECTORY)
set(include ${folder}/vesko-commands.h2m)
file(WRITE ${include} "[COMMANDS]\n${section}")
execute_process(
    COMMAND ${HELP2MAN} --no-info --section 1 --name "export mail to Palm Doc e-books"
            --include ${include} --output ${OUTPUT} ${VESKO}
    RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "help2man failed: ${code}")
endif()
