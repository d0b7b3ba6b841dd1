# ZELQUIN_RELEASE_DATE: the date of this version's heading in CHANGELOG.md
# ("## [1.0.0] - 2026-12-07"), for the packages, the AppStream metadata and
# the manual pages. Included by packaging/ and cli/.
string(REPLACE "." "\\." versionPattern "${PROJECT_VERSION}")
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md releaseHeading REGEX "^## \\[${versionPattern}\\] - ")
if(NOT releaseHeading MATCHES " - ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
  message(FATAL_ERROR "CHANGELOG.md has no heading '## [${PROJECT_VERSION}] - YYYY-MM-DD'")
endif()
set(ZELQUIN_RELEASE_DATE "${CMAKE_MATCH_1}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
