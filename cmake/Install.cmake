# What `cmake --install` puts where, all under CMAKE_INSTALL_PREFIX, as the
# GNU, freedesktop and Debian conventions have it: the programs in bin/, the
# pictures, examples and experiments in share/orvane/, the manual pages, the
# desktop entry, the icon in every size, the AppStream metainfo, and the
# copyright and change log in the documentation folder.

set(ORVANE_APP_ID org.orvane.orvane)
set(ORVANE_HOMEPAGE "https://orvane.example.org/" CACHE STRING
  "The project's web address, ending in /: the metainfo's homepage, with the README's screenshot under it")
set(ORVANE_SUMMARY "Play with a jelly ball on a tilting board")
set(ORVANE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/orvane)

# The README's opening paragraphs and its first picture are the metainfo's
# description and screenshot: one text for both.
function(orvane_read_readme)
  file(READ ${CMAKE_SOURCE_DIR}/README.md readme)
  string(FIND "${readme}" "\n## " end)
  string(SUBSTRING "${readme}" 0 ${end} opening)
  string(REGEX REPLACE "^# [^\n]*\n+" "" opening "${opening}")
  string(STRIP "${opening}" opening)
  string(REPLACE "&" "&amp;" opening "${opening}")
  string(REPLACE "<" "&lt;" opening "${opening}")
  string(REPLACE ">" "&gt;" opening "${opening}")
  string(REGEX REPLACE "`([^`]+)`" "<code>\\1</code>" opening "${opening}")
  string(REGEX REPLACE "\n\n+" "@PARAGRAPH@" opening "${opening}")
  string(REPLACE "\n" " " opening "${opening}")
  string(REPLACE "@PARAGRAPH@" "</p>\n    <p>" opening "${opening}")
  set(ORVANE_DESCRIPTION_XML "    <p>${opening}</p>" PARENT_SCOPE)

  if(NOT readme MATCHES "!\\[([^]]+)\\]\\(([^)]+)\\)")
    message(FATAL_ERROR "README.md has no picture for the metainfo's screenshot")
  endif()
  set(ORVANE_SCREENSHOT_CAPTION "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(ORVANE_SCREENSHOT "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()
orvane_read_readme()

set(ORVANE_INSTALLED_PROGRAMS orvane)
if(ORVANE_BUILD_TOOLS)
  list(APPEND ORVANE_INSTALLED_PROGRAMS orvane-sim orvane-capture)
endif()
set(ORVANE_PROVIDES_XML "")
foreach(_program IN LISTS ORVANE_INSTALLED_PROGRAMS)
  string(APPEND ORVANE_PROVIDES_XML "    <binary>${_program}</binary>\n")
endforeach()
string(STRIP "${ORVANE_PROVIDES_XML}" ORVANE_PROVIDES_XML)
set(ORVANE_PROVIDES_XML "    ${ORVANE_PROVIDES_XML}")

set(ORVANE_DESKTOP_FILE ${CMAKE_BINARY_DIR}/desktop/${ORVANE_APP_ID}.desktop)
set(ORVANE_METAINFO_FILE ${CMAKE_BINARY_DIR}/desktop/${ORVANE_APP_ID}.metainfo.xml)
configure_file(packaging/org.orvane.orvane.desktop.in ${ORVANE_DESKTOP_FILE} @ONLY)
configure_file(packaging/org.orvane.orvane.metainfo.xml.in ${ORVANE_METAINFO_FILE} @ONLY)

# ---------------------------------------------------------------- install
install(TARGETS ${ORVANE_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ORVANE_PIC_FILES} DESTINATION ${ORVANE_DATA_DIR}/pics)
install(DIRECTORY tools/sim/examples/ DESTINATION ${ORVANE_DATA_DIR}/examples FILES_MATCHING PATTERN "*.txt")
# The ready experiments, once the repository has them.
install(DIRECTORY experiments/ DESTINATION ${ORVANE_DATA_DIR}/experiments OPTIONAL FILES_MATCHING PATTERN "*.txt")

foreach(_page IN LISTS ORVANE_MAN_PAGES)
  string(REGEX MATCH "[0-9]$" _section ${_page})
  install(FILES ${CMAKE_BINARY_DIR}/man/${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${_section})
endforeach()

install(FILES ${ORVANE_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVANE_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_size IN LISTS ORVANE_ICON_SIZES)
  install(FILES ${CMAKE_BINARY_DIR}/icons/${_size}x${_size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps RENAME ${ORVANE_APP_ID}.png)
endforeach()

# The package's documentation folder: the copyright, and a change log in
# Debian's format, compressed as Debian has it.
set(ORVANE_MAINTAINER "orvane maintainers <maintainers@orvane.example.org>" CACHE STRING
  "Who maintains the package: \"Name <address>\"")
set(_changelog ${CMAKE_BINARY_DIR}/doc/changelog)
execute_process(COMMAND date -u -R -d "${ORVANE_RELEASE_DATE} 12:00"
  OUTPUT_VARIABLE ORVANE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(packaging/changelog.in ${_changelog} @ONLY)
add_custom_command(OUTPUT ${_changelog}.gz
  COMMAND ${ORVANE_GZIP} -9 -n -k -f ${_changelog}
  DEPENDS ${_changelog}
  VERBATIM)
add_custom_target(orvane_changelog ALL DEPENDS ${_changelog}.gz)
install(FILES packaging/copyright ${_changelog}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
