# zelquin-convert's own words about itself, written once: the build makes the
# text of --help (usage_text.h) and the manual page's synopsis, description,
# commands, options and exit statuses from them, so that the two cannot
# drift. The texts hold no semicolon (CMake splits lists there); TEXT, OPTION,
# NAME and MODE are the manual page's italic words.

set(ZELQUIN_CLI_SYNOPSIS
  "[OPTION...] pattern [TEXT | OPTION]..."
  "[OPTION...] value [TEXT | OPTION]..."
  "--list-formats"
  "-h | --help | --version")

set(ZELQUIN_CLI_SUMMARY
  "Converts as the two fields of the Zelquin window do, or in another format.")

# Name, then text.
set(ZELQUIN_CLI_COMMANDS
  "pattern"
  "Each TEXT is a bit pattern, read as an unsigned 64-bit integer as the pattern field reads it: hexadecimal after 0x, octal after another leading zero, decimal otherwise, with the decimal digits of many scripts. Prints the number it encodes in fixed notation with six decimals, as the value field shows it. An integer of up to 32 bits is a binary32, a wider one a binary64, and a signalling NaN is made quiet. With --format and another format than binary32 or binary64, the integer may also be binary after 0b and as wide as the format (a wider one is refused), and the result is the shortest decimal that reads back."
  "value"
  "Each TEXT is a decimal number. Prints the bit pattern of the binary32 it is stored as, in hexadecimal, as the pattern field shows it. With --format and another format, TEXT may also be a hexadecimal float (0x1.8p-3), is read exactly and rounded once, and the result is the pattern in hexadecimal with every digit of the format's width.")

set(ZELQUIN_CLI_OPTIONS_INTRO
  "Options may come before or after the command and apply to every TEXT. After the command, an argument is an option only when it starts with -- and a letter, or is -h, so that pattern -1 converts -1. After -- every argument after the command is a TEXT.")

# Name, then text.
set(ZELQUIN_CLI_OPTIONS
  "--double"
  "Treat as 'double', as the window's check box does: value prints the binary64 pattern, and pattern takes the integer's low 32 bits as the upper half of a binary64 whose lower half is 0."
  "--binary64"
  "The binary64 view both ways: value prints the binary64 pattern, as --double does, and pattern takes all 64 bits of the integer as a binary64, whatever its width. Not with --double."
  "--format NAME"
  "Converts in the format NAME (see --list-formats): binary32 is the default, binary64 is --binary64, and every other format reads and rounds exactly, by the rules of the options below. Not with --double or --binary64."
  "--rounding MODE"
  "How a value is rounded to a format other than binary32 and binary64, whose rounding is Zelquin's own: nearest-even (the default), nearest-away, toward-zero, up or down."
  "--overflow saturate"
  "Every value beyond the format's largest finite number becomes that number, with its sign, as saturating conversions do. Without it, overflow is judged as IEEE 754 does: to infinity where the rounding goes that way, or to the format's NaN where it has no infinity."
  "--via NAME[,NAME...]"
  "The value is rounded to each format NAME in turn, to nearest with ties to even, before it is rounded to the format: how a number typed as a binary32 becomes a bfloat16, say. The explanation says whether that stores another pattern than rounding once."
  "--list-formats"
  "Prints the formats, their layouts and what they hold, and exits."
  "--explain"
  "Follows each result with a description of the number: its fields, its exact value, the shortest text that reads back, its neighbours and, for value, the pattern a correctly rounding reader stores and why Zelquin's differs."
  "--json"
  "For each TEXT, prints one JSON object on one line in place of the result: the result and the description as members. Not with --explain."
  "-h, --help"
  "Prints this help and exits."
  "--version"
  "Prints the version and exits."
  "--"
  "Ends the options: what follows the command is TEXT.")

set(ZELQUIN_CLI_NOTES
  "Without TEXT, every line of standard input is a TEXT and gives one result, in order, a UTF-8 byte-order mark at the start of the input skipped. Only the first 199 UTF-16 units of a TEXT are converted, as in the window. A TEXT that is not valid UTF-8, or a pattern wider than its format, is not converted: its result line is empty (with --json, an object with an error member), and standard error names it as TEXT 2 or line 3.")

# Status, then text.
set(ZELQUIN_CLI_STATUSES
  "0" "every TEXT was converted"
  "1" "a TEXT was not converted, the others were"
  "2" "the command line is wrong: nothing was converted"
  "3" "standard input could not be read or standard output not written")

# TEXT wrapped into lines of at most WIDTH characters, the first after FIRST,
# the others after INDENT, into OUT.
function(zelquin_wrap text width first indent out)
  # CMake does not split a list inside square brackets: they are kept apart
  # while the words are.
  string(REPLACE "[" "<open>" text "${text}")
  string(REPLACE "]" "<close>" text "${text}")
  string(REGEX REPLACE " +" ";" words "${text}")
  set(result "")
  set(line "${first}")
  set(lineHasWord FALSE)
  foreach(word IN LISTS words)
    string(LENGTH "${line} ${word}" length)
    if(lineHasWord AND length GREATER width)
      string(APPEND result "${line}\n")
      set(line "${indent}${word}")
    elseif(lineHasWord)
      string(APPEND line " ${word}")
    else()
      string(APPEND line "${word}")
      set(lineHasWord TRUE)
    endif()
  endforeach()
  string(APPEND result "${line}\n")
  string(REPLACE "<open>" "[" result "${result}")
  string(REPLACE "<close>" "]" result "${result}")
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# The --help text.
function(zelquin_help_text out)
  set(text "")
  set(first "usage: ")
  foreach(line IN LISTS ZELQUIN_CLI_SYNOPSIS)
    string(APPEND text "${first}zelquin-convert ${line}\n")
    set(first "       ")
  endforeach()
  string(APPEND text "\n${ZELQUIN_CLI_SUMMARY}\n\n")
  set(pad "               ")
  foreach(list ZELQUIN_CLI_COMMANDS ZELQUIN_CLI_OPTIONS)
    if(list STREQUAL "ZELQUIN_CLI_OPTIONS")
      zelquin_wrap("${ZELQUIN_CLI_OPTIONS_INTRO}" 78 "" "" intro)
      string(APPEND text "${intro}")
    endif()
    set(items ${${list}})
    list(LENGTH items count)
    math(EXPR last "${count} - 1")
    foreach(i RANGE 0 ${last} 2)
      math(EXPR j "${i} + 1")
      list(GET items ${i} name)
      list(GET items ${j} item)
      string(LENGTH "  ${name}" length)
      if(length LESS 15)
        string(SUBSTRING "  ${name}${pad}" 0 15 head)
        zelquin_wrap("${item}" 78 "${head}" "${pad}" wrapped)
      else()
        zelquin_wrap("${item}" 78 "${pad}" "${pad}" wrapped)
        set(wrapped "  ${name}\n${wrapped}")
      endif()
      string(APPEND text "${wrapped}")
    endforeach()
    string(APPEND text "\n")
  endforeach()
  foreach(note IN LISTS ZELQUIN_CLI_NOTES)
    zelquin_wrap("${note}" 78 "" "" wrapped)
    string(APPEND text "${wrapped}\n")
  endforeach()
  string(APPEND text "Exit status:\n")
  list(LENGTH ZELQUIN_CLI_STATUSES count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET ZELQUIN_CLI_STATUSES ${i} status)
    list(GET ZELQUIN_CLI_STATUSES ${j} item)
    string(APPEND text "  ${status}  ${item}\n")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A text as the manual page writes it: minus signs escaped, the words TEXT,
# OPTION, NAME and MODE in italics, and lines that roff would take for
# requests kept as text.
function(zelquin_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  foreach(word TEXT OPTION NAME MODE)
    string(REGEX REPLACE "(^|[^A-Za-z])${word}([^A-Za-z]|$)" "\\1\\\\fI${word}\\\\fR\\2" text "${text}")
  endforeach()
  zelquin_wrap("${text}" 78 "" "" wrapped)
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" wrapped "${wrapped}")
  set(${out} "${wrapped}" PARENT_SCOPE)
endfunction()

# The manual page's sections made from the same words, as variables for
# configure_file: ZELQUIN_CLI_MAN_SYNOPSIS, _COMMANDS, _OPTIONS, _STATUSES and
# _NOTES.
function(zelquin_manual_sections)
  set(synopsis "")
  foreach(line IN LISTS ZELQUIN_CLI_SYNOPSIS)
    zelquin_roff("${line}" roffed)
    string(APPEND synopsis ".B zelquin-convert\n${roffed}.br\n")
  endforeach()
  foreach(list COMMANDS OPTIONS STATUSES)
    set(section "")
    set(items ${ZELQUIN_CLI_${list}})
    list(LENGTH items count)
    math(EXPR last "${count} - 1")
    foreach(i RANGE 0 ${last} 2)
      math(EXPR j "${i} + 1")
      list(GET items ${i} name)
      list(GET items ${j} item)
      zelquin_roff("${name}" roffedName)
      zelquin_roff("${item}" roffedItem)
      string(APPEND section ".TP\n.B ${roffedName}${roffedItem}")
    endforeach()
    set(ZELQUIN_CLI_MAN_${list} "${section}" PARENT_SCOPE)
  endforeach()
  zelquin_roff("${ZELQUIN_CLI_OPTIONS_INTRO}" intro)
  set(notes "${intro}")
  foreach(note IN LISTS ZELQUIN_CLI_NOTES)
    zelquin_roff("${note}" roffed)
    string(APPEND notes ".PP\n${roffed}")
  endforeach()
  set(ZELQUIN_CLI_MAN_SYNOPSIS "${synopsis}" PARENT_SCOPE)
  set(ZELQUIN_CLI_MAN_NOTES "${notes}" PARENT_SCOPE)
endfunction()

# usage_text.h: the --help text as a C++ raw string.
function(zelquin_write_usage_header header)
  zelquin_help_text(help)
  set(text "// Written by the build from cli/usage.cmake: the text of --help.\n")
  string(APPEND text "#pragma once\n\n#include <string_view>\n\n")
  string(APPEND text "namespace zelquin::cli {\n\ninline constexpr std::string_view kHelp = R\"help(${help})help\";\n\n")
  string(APPEND text "}  // namespace zelquin::cli\n")
  file(CONFIGURE OUTPUT "${header}" CONTENT "${text}" @ONLY)
endfunction()
