# The manual page of zavelon-cli must describe every command and option the
# program's usage lists, so that a new command does not ship undocumented.
#   cmake -DCLI=zavelon-cli -DPAGE=zavelon-cli.1 -P CheckManualCoversUsage.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CLI} --help RESULT_VARIABLE status OUTPUT_VARIABLE usage)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} --help failed")
endif()
file(READ ${PAGE} page)
# The page as a reader sees its words: roff's escaped hyphens plain.
string(REPLACE "\\-" "-" page "${page}")
string(REPLACE "\\fI" "" page "${page}")
string(REPLACE "\\fP" "" page "${page}")

set(failures "")
set(commands 0)
string(REPLACE "\n" ";" lines "${usage}")
foreach(line ${lines})
  if(NOT line MATCHES "^  zavelon-cli ([a-z][a-z -]*[a-z])( |$)")
    continue()
  endif()
  math(EXPR commands "${commands} + 1")
  # The command's words: those before its first argument.
  set(words "${CMAKE_MATCH_1}")
  if(NOT page MATCHES "\n\\.SS ${words}[ \n]")
    string(APPEND failures "  no section \".SS ${words}\" for: ${line}\n")
  endif()
  string(REGEX MATCHALL "--[a-z-]+" options "${line}")
  foreach(option ${options})
    string(FIND "${page}" "${option}" at)
    if(at LESS 0)
      string(APPEND failures "  option ${option} of \"${words}\" not described\n")
    endif()
  endforeach()
endforeach()

if(commands EQUAL 0)
  message(FATAL_ERROR "no command found in the usage:\n${usage}")
endif()
if(failures)
  message(FATAL_ERROR "${PAGE} does not cover the usage:\n${failures}")
endif()
message(STATUS "${commands} commands described")
