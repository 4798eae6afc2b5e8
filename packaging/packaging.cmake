# Installation and the release packages, included by CMakeLists.txt.
#
# `cmake --install` puts the program in bin/, its manual page in share/man/man1/
# and the user's README, the copyright and the changelog in share/doc/kestrel/.
# `cpack` in a Linux build directory makes the Debian package
# kestrel_<version>_<architecture>.deb (amd64 natively, arm64 when built with
# cmake/aarch64-linux-gnu.cmake); the target `zip` of a Windows build makes
# kestrel-<version>-win64.zip. The version is the one of project(): the manual
# page and the Windows version resource take it, and packaging/changelog must
# begin with its entry. Every time stamp in the packages is SOURCE_DATE_EPOCH,
# which `make package` sets to the time of the last commit.

configure_file(man/kestrel.1.in ${CMAKE_BINARY_DIR}/kestrel.1 @ONLY)

file(STRINGS packaging/changelog KESTREL_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT KESTREL_CHANGELOG_HEAD MATCHES "^kestrel \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with an entry for ${PROJECT_VERSION}")
endif()

# LICENSE is the one place of the licence and of its holder and year.
file(STRINGS LICENSE KESTREL_COPYRIGHT REGEX "^Copyright \\(c\\) " LIMIT_COUNT 1)
string(REGEX REPLACE "^Copyright \\(c\\) " "" KESTREL_COPYRIGHT "${KESTREL_COPYRIGHT}")

set(CPACK_PACKAGE_VENDOR "kestrel")
set(CPACK_PACKAGE_CONTACT "kestrel maintainers <maintainers@kestrel.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://kestrel.example/")

if(WIN32)
  enable_language(RC)
  configure_file(packaging/kestrel.rc.in ${CMAKE_BINARY_DIR}/kestrel.rc @ONLY)
  target_sources(kestrel PRIVATE ${CMAKE_BINARY_DIR}/kestrel.rc)

  # The zip is flat: the program, and beside it the user's README, the licence
  # and the manual as plain text, with CR LF line ends for Windows editors.
  install(TARGETS kestrel RUNTIME DESTINATION .)
  install(CODE "set(KESTREL_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
    set(KESTREL_PAGE \"${CMAKE_BINARY_DIR}/kestrel.1\")
    set(KESTREL_DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    include(\"${CMAKE_SOURCE_DIR}/packaging/windows_text.cmake\")")
  add_custom_target(zip
    COMMAND ${CMAKE_COMMAND} -DKESTREL_BUILD_DIR=${CMAKE_BINARY_DIR}
      -DKESTREL_ZIP_NAME=kestrel-${PROJECT_VERSION}-win64 -P ${CMAKE_SOURCE_DIR}/packaging/zip.cmake
    DEPENDS kestrel VERBATIM)
  return()
endif()

include(GNUInstallDirs)
install(TARGETS kestrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/kestrel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian's copyright file holds the licence, in the machine-readable format:
# the text of LICENSE from "Permission" on, each line indented by a blank and
# each empty line written as " .".
file(READ LICENSE KESTREL_LICENSE_TEXT)
string(FIND "${KESTREL_LICENSE_TEXT}" "Permission" license_start)
string(SUBSTRING "${KESTREL_LICENSE_TEXT}" ${license_start} -1 KESTREL_LICENSE_TEXT)
string(STRIP "${KESTREL_LICENSE_TEXT}" KESTREL_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" KESTREL_LICENSE_TEXT "${KESTREL_LICENSE_TEXT}")
string(REPLACE "\n" "\n " KESTREL_LICENSE_TEXT " ${KESTREL_LICENSE_TEXT}")
configure_file(packaging/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)
install(FILES packaging/README packaging/changelog ${CMAKE_BINARY_DIR}/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive DNS lookup client for the console")
set(CPACK_PACKAGE_DESCRIPTION "kestrel asks DNS name servers about names typed at its prompt and\n\
prints every section of their replies: header, question, answer, authority\n\
and additional records, each record's data decoded by its type. Commands\n\
choose the query type and class, recursion, TCP, retries, the time-out, the\n\
port and the servers. The servers the system is configured with are found\n\
at start-up.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Line editing: libedit is loaded when lines are typed at a terminal, so
# dpkg-shlibdeps cannot see it; without it lines are read plainly.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libedit2")
# For packaging/deb_staging.cmake, which CPack runs on the staged files.
set(CPACK_KESTREL_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/deb_staging.cmake)
include(CPack)
