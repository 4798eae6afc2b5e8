# Writes the plain-text copy of the manual page that the Windows zip carries:
# the page formatted by groff for a plain terminal, overstrikes removed by col,
# lines ended with CR LF for Windows editors. Run at install time with
#   KESTREL_PAGE  the formatted page's source (kestrel.1)
#   KESTREL_TEXT  the text file to write
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
  OUTPUT_VARIABLE text
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR text STREQUAL "")
  message(FATAL_ERROR "formatting ${KESTREL_PAGE} failed: ${status}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
message(STATUS "Installing: ${KESTREL_TEXT}")
file(WRITE ${KESTREL_TEXT} "${text}")
