# Run by CPack after it has staged the installed files and before it packs
# them: puts in what a Debian package keeps beside the programs, made from the
# project's own files, and compresses them as Debian does.
#   usr/share/doc/zelquin/copyright     machine-readable, from LICENSE
#   usr/share/doc/zelquin/changelog.gz  this version's CHANGELOG.md entries,
#                                       in the Debian changelog format
#   usr/share/man/*/*                   gzip -9n, where not compressed yet
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${usr}/share/doc/${CPACK_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")

function(gzip_for_debian file)
  # -n leaves out the name and time, so the same input gives the same package.
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${file} failed: ${status}")
  endif()
endfunction()

# copyright: the license text below the copyright line, each line indented by
# one space and an empty line written as " .". MIT is "Expat" in this format.
file(STRINGS "${CPACK_ZELQUIN_SOURCE_DIR}/LICENSE" licenseLines)
set(licenseText "")
set(pastCopyright FALSE)
foreach(line IN LISTS licenseLines)
  if(pastCopyright)
    if(line STREQUAL "")
      string(APPEND licenseText " .\n")
    else()
      string(APPEND licenseText " ${line}\n")
    endif()
  elseif(line MATCHES "^Copyright ")
    set(pastCopyright TRUE)
  endif()
endforeach()
string(REGEX REPLACE "^ \\.\n" "" licenseText "${licenseText}")
file(WRITE "${doc}/copyright"
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Zelquin
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: ${CPACK_ZELQUIN_COPYRIGHT_YEARS} ${CPACK_ZELQUIN_COPYRIGHT_HOLDER}
License: Expat
${licenseText}")

# changelog: one entry, this version's list items from CHANGELOG.md, a "- "
# item becoming a "  * " one and its continuation lines indented alike.
file(STRINGS "${CPACK_ZELQUIN_SOURCE_DIR}/CHANGELOG.md" changelogLines)
set(items "")
set(inVersion FALSE)
foreach(line IN LISTS changelogLines)
  if(line MATCHES "^## ")
    string(FIND "${line}" "## [${CPACK_PACKAGE_VERSION}] " at)
    if(at EQUAL 0)
      set(inVersion TRUE)
    else()
      set(inVersion FALSE)
    endif()
  elseif(inVersion AND line MATCHES "^- (.*)$")
    string(APPEND items "  * ${CMAKE_MATCH_1}\n")
  elseif(inVersion AND line MATCHES "^  +([^ ].*)$" AND NOT items STREQUAL "")
    string(APPEND items "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
if(items STREQUAL "")
  message(FATAL_ERROR "CHANGELOG.md lists nothing under ${CPACK_PACKAGE_VERSION}")
endif()
execute_process(COMMAND date -u -R -d "${CPACK_ZELQUIN_RELEASE_DATE} 00:00:00 UTC"
                OUTPUT_VARIABLE releaseTime OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
file(WRITE "${doc}/changelog"
"${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium

${items}
 -- ${CPACK_PACKAGE_CONTACT}  ${releaseTime}
")
gzip_for_debian("${doc}/changelog")

file(GLOB manPages LIST_DIRECTORIES false "${usr}/share/man/*/*")
foreach(page IN LISTS manPages)
  if(NOT page MATCHES "\\.gz$" AND NOT IS_SYMLINK "${page}")
    gzip_for_debian("${page}")
  endif()
endforeach()
