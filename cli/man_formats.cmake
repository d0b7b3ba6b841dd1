# Usage: cmake -DPROGRAM=zelquin-convert -DIN=page.1 -DOUT=zelquin-convert.1
#        -P man_formats.cmake
# Puts the formats that the program lists (--list-formats) into its manual
# page, in place of the line '.\" FORMATS', so that the page knows every
# format the program does.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${PROGRAM} --list-formats OUTPUT_VARIABLE list RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --list-formats failed: ${status}")
endif()
# The rows by columns, as FormatList writes them: the name, the aliases, the
# exponent bits, the fraction bits, the bias, what the format holds. Its
# semicolons are kept apart from CMake's list separators.
string(REPLACE ";" "<semicolon>" list "${list}")
string(REPLACE "\n" ";" rows "${list}")
list(REMOVE_AT rows 0)  # the heading
set(section "")
foreach(row IN LISTS rows)
  if(row STREQUAL "")
    continue()
  endif()
  string(REPLACE "<semicolon>" ";" row "${row}")
  if(row MATCHES "^eXmY" OR row MATCHES "^ ")
    string(REPLACE "-" "\\-" row "${row}")
  endif()
  if(row MATCHES "^eXmY")
    string(SUBSTRING "${row}" 21 -1 rest)
    string(APPEND section ".TP\n.B eXmY\n${rest}")
    continue()
  elseif(row MATCHES "^ ")
    # The rest of eXmY's text.
    string(STRIP "${row}" row)
    string(APPEND section " ${row}\n")
    continue()
  endif()
  string(SUBSTRING "${row}" 0 21 name)
  string(SUBSTRING "${row}" 21 16 aliases)
  string(SUBSTRING "${row}" 37 2 exponent)
  string(SUBSTRING "${row}" 39 5 fraction)
  string(SUBSTRING "${row}" 44 7 bias)
  string(SUBSTRING "${row}" 53 -1 holds)
  foreach(column name aliases exponent fraction bias holds)
    string(STRIP "${${column}}" ${column})
    string(REPLACE "-" "\\-" ${column} "${${column}}")
  endforeach()
  string(APPEND section ".TP\n.B ${name}\n")
  if(NOT aliases STREQUAL "")
    string(APPEND section "(${aliases}) ")
  endif()
  string(APPEND section "${exponent} exponent bits, ${fraction} fraction bits, bias ${bias}: ${holds}\n")
endforeach()
file(READ "${IN}" page)
string(REPLACE ".\\\" FORMATS\n" "${section}" page "${page}")
file(WRITE "${OUT}" "${page}")
