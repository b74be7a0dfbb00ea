# The Debian package, made by CPack from the install rules (cmake/Install.cmake):
# scripts/package.sh configures a tree for /usr and runs cpack in it.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the orvane team")
set(CPACK_PACKAGE_CONTACT "${ORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian's games live in /usr/games, these programs in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORVANE_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries the programs link, found by dpkg-shlibdeps, and nothing
# else; orvane-capture starts its own X server where there is no display.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xvfb)

# The synopsis and, as the long description, the README's opening
# paragraphs (as the metainfo has them), wrapped as Debian's control file
# wants them.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "soft ball on a tilting board, to play with and to study")
file(READ ${CMAKE_SOURCE_DIR}/README.md _readme)
string(FIND "${_readme}" "\n## " _end)
string(SUBSTRING "${_readme}" 0 ${_end} _opening)
string(REGEX REPLACE "^# [^\n]*\n+" "" _opening "${_opening}")
string(REPLACE "`" "" _opening "${_opening}")
# CPack's configuration file would take a straight double quote for a
# separator.
string(REPLACE "\"" "'" _opening "${_opening}")
string(STRIP "${_opening}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)

# What only the Debian package has: lintian's overrides, each with its reason.
option(ORVANE_DEBIAN_PACKAGE "Install what only the Debian package has (lintian's overrides)" OFF)
if(ORVANE_DEBIAN_PACKAGE)
  install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME orvane)
  # Stripped as Debian strips programs: also the compiler's notes, which the
  # C run-time's own objects bring in.
  foreach(_program IN LISTS ORVANE_INSTALLED_PROGRAMS)
    install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${_program}\"
      COMMAND_ERROR_IS_FATAL ANY)")
  endforeach()
endif()

include(CPack)
