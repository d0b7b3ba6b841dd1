# Usage: cmake -DPAGE=zelquin.html -DSTYLE=zelquin.css -DROLES=bit_roles.css -DOUT=shell.html
#        -P inline_style.cmake
# Puts the style sheets into the page in place of its link, the bits' colours
# that the build writes first, so that the built page is one file, without
# the style sheets' comments and indentation.
cmake_minimum_required(VERSION 3.25)
set(link "<link rel=\"stylesheet\" href=\"zelquin.css\">")
file(READ "${PAGE}" page)
file(READ "${ROLES}" roles)
file(READ "${STYLE}" style)
# Comments and indentation are for the sources only.
set(style "${roles}${style}")
string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" style "${style}")
string(REGEX REPLACE "[ \n]*([{};:,>])[ \n]*" "\\1" style "${style}")
string(REGEX REPLACE "[ \n]+" " " style "${style}")
string(FIND "${page}" "${link}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${PAGE} has no ${link}")
endif()
string(REPLACE "${link}" "<style>${style}</style>" page "${page}")
file(WRITE "${OUT}" "${page}")
