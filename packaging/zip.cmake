# Makes the Windows zip, KESTREL_ZIP_NAME.zip in KESTREL_BUILD_DIR, whose files
# lie in one folder of that name: installs the build (stripped) into a scratch
# folder and packs it with its members in sorted order and every time stamp
# SOURCE_DATE_EPOCH (cmake -E tar takes it from the environment), so that two
# builds of one commit give the same bytes. Run as the build's target `zip`
# (by `make package`, under umask 022: the members keep the files' modes).
set(stage ${KESTREL_BUILD_DIR}/zip-stage)
set(zip ${KESTREL_BUILD_DIR}/${KESTREL_ZIP_NAME}.zip)
file(REMOVE_RECURSE ${stage} ${zip})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${KESTREL_BUILD_DIR} --strip
    --prefix ${stage}/${KESTREL_ZIP_NAME}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "installing into ${stage} failed")
endif()
file(GLOB_RECURSE members RELATIVE ${stage} ${stage}/*)
list(SORT members)
# A zip holds local times: the same in every time zone only when they are UTC.
set(ENV{TZ} UTC)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip -- ${members}
  WORKING_DIRECTORY ${stage}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "packing ${zip} failed")
endif()
message(STATUS "Made ${zip}")
