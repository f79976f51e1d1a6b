cmake_minimum_required(VERSION 3.25)
# Run as a test: fails when PROGRAM loads Qt Widgets, directly or through
# another library (as the dynamic loader resolves it).
execute_process(COMMAND ldd "${PROGRAM}" OUTPUT_VARIABLE libraries RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd failed on ${PROGRAM}")
endif()
if(libraries MATCHES "libQt6Widgets")
  message(FATAL_ERROR "${PROGRAM} loads Qt Widgets:\n${libraries}")
endif()
