# cmake -DFIRST=<engine> -DSECOND=<engine> -DWORK=<dir> -P same_listings.cmake
# Runs both engines on the same typed lines, each in a fresh directory, and
# fails unless what they print and the default.cfg they write are the same.
foreach(engine IN ITEMS FIRST SECOND)
  set(dir ${WORK}/${engine})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir}/data)
  file(WRITE ${dir}/typed "ls_cmds\nls_vars\nquit\n")
  execute_process(COMMAND ${${engine}} INPUT_FILE ${dir}/typed OUTPUT_VARIABLE output_${engine}
                  WORKING_DIRECTORY ${dir} RESULT_VARIABLE status)
  file(READ ${dir}/data/default.cfg config_${engine})
  if(NOT status EQUAL 0 OR NOT output_${engine} MATCHES "total commands")
    message(FATAL_ERROR "${${engine}} failed (${status}):\n${output_${engine}}")
  endif()
endforeach()
if(NOT output_FIRST STREQUAL output_SECOND OR NOT config_FIRST STREQUAL config_SECOND)
  message(FATAL_ERROR "The listings differ:\n${output_FIRST}${config_FIRST}\n--- and ---\n"
                      "${output_SECOND}${config_SECOND}")
endif()
