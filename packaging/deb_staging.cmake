# Run by CPack on the files of the Debian package in its staging directory,
# before it packs them, to leave them as Debian's own tools (dh_compress,
# dh_strip) would:
# - manual pages and the changelog compressed with gzip -9n (no name or time
#   stamp inside, so that the package is the same from one build to the next);
# - programs without their .comment section (the compilers' version strings).
file(GLOB_RECURSE compress
  "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man[1-9]/*.[1-9]"
  "${CPACK_TEMPORARY_DIRECTORY}/*/share/doc/*/changelog")
foreach(file ${compress})
  execute_process(COMMAND gzip -9nf ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${file} failed")
  endif()
endforeach()

file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/*/bin/*")
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_KESTREL_STRIP} --remove-section=.comment ${program}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip --remove-section=.comment ${program} failed")
  endif()
endforeach()

