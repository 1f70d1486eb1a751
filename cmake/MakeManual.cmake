# cmake -DPANDOC=... -DSRC=manual.md -DDST=manual.pdf -DSTAMP=... -P MakeManual.cmake
# Makes the manual's PDF; a converter that fails (no PDF engine installed)
# leaves no PDF and no failed build: the Markdown copy stands in.
file(REMOVE ${DST})
execute_process(COMMAND ${PANDOC} ${SRC} -o ${DST}
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 0)
  file(REMOVE ${DST})
  message(STATUS "The manual's PDF was not made (${PANDOC} failed)")
endif()
file(TOUCH ${STAMP})
