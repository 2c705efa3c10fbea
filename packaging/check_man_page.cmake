# Renders the man page PAGE with GROFF, every warning on; fails on any.
execute_process(COMMAND ${GROFF} -man -ww -z ${PAGE} RESULT_VARIABLE result ERROR_VARIABLE warnings)
if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "${PAGE}: ${result}\n${warnings}")
endif()
