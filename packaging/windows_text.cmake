# Writes the text files of the Windows zip, with CR LF line ends for Windows
# editors: the user's README, the licence, and the manual page formatted by
# groff for a plain terminal with its overstrikes removed by col. Run at
# install time with
#   KESTREL_SOURCE_DIR   the source tree
#   KESTREL_PAGE         the formatted page's source (kestrel.1 in the build tree)
#   KESTREL_DESTINATION  the folder to write README.txt, LICENSE.txt and kestrel.txt in
find_program(KESTREL_GROFF groff)
find_program(KESTREL_COL col)
if(NOT KESTREL_GROFF OR NOT KESTREL_COL)
  message(FATAL_ERROR "groff and col (Debian: groff-base, bsdextrautils) make the manual's text copy")
endif()
# ASCII rather than UTF-8, so that the text reads the same in any Windows code page;
# no hyphenation, so that words can be searched for.
execute_process(
  COMMAND ${KESTREL_GROFF} -man -Tascii -rHY=0 ${KESTREL_PAGE}
  COMMAND ${KESTREL_COL} -bx
  OUTPUT_VARIABLE manual
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR manual STREQUAL "")
  message(FATAL_ERROR "formatting ${KESTREL_PAGE} failed: ${status}")
endif()

function(write_with_crlf name text)
  string(REPLACE "\n" "\r\n" text "${text}")
  message(STATUS "Installing: ${KESTREL_DESTINATION}/${name}")
  file(WRITE ${KESTREL_DESTINATION}/${name} "${text}")
endfunction()

write_with_crlf(kestrel.txt "${manual}")
file(READ ${KESTREL_SOURCE_DIR}/packaging/README readme)
write_with_crlf(README.txt "${readme}")
file(READ ${KESTREL_SOURCE_DIR}/LICENSE license)
write_with_crlf(LICENSE.txt "${license}")
