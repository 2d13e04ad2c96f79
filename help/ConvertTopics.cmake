# Copies the help topics from SOURCE_DIR to WORK_DIR, converting each from
# UTF-8 to code page 936, the code page the topics declare.
file(GLOB topics RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
foreach(topic IN LISTS topics)
  execute_process(COMMAND ${ICONV} -f UTF-8 -t CP936 ${SOURCE_DIR}/${topic}
                  OUTPUT_FILE ${WORK_DIR}/${topic} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${topic} holds a character code page 936 lacks")
  endif()
endforeach()
