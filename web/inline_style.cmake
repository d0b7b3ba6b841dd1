# Usage: cmake -DPAGE=zelquin.html -DSTYLE=zelquin.css -DOUT=shell.html -P inline_style.cmake
# Puts the style sheet into the page in place of its link, so that the built
# page is one file.
cmake_minimum_required(VERSION 3.25)
set(link "<link rel=\"stylesheet\" href=\"zelquin.css\">")
file(READ "${PAGE}" page)
file(READ "${STYLE}" style)
string(FIND "${page}" "${link}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${PAGE} has no ${link}")
endif()
string(REPLACE "${link}" "<style>\n${style}</style>" page "${page}")
file(WRITE "${OUT}" "${page}")
