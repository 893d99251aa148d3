# Runs make_book on a source it must refuse: it has to fail, name the file, the line and the
# move, and leave no book file behind.
#   cmake -DTOOL=<make_book> -DSOURCE=<dir> -DOUTPUT=<file> -DEXPECT=<regex> -P expect_refusal.cmake
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${TOOL} ${SOURCE} ${OUTPUT} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "make_book accepted ${SOURCE}")
endif()
if(NOT err MATCHES "${EXPECT}")
  message(FATAL_ERROR "make_book said: ${err}")
endif()
if(EXISTS ${OUTPUT})
  message(FATAL_ERROR "make_book wrote ${OUTPUT}")
endif()
