# Copies each of FILES into OUT, stripped, with its debug information in <name>.debug beside
# it and linked from it, so that a debugger finds it. Without OBJCOPY the files are copied as
# they are.
file(MAKE_DIRECTORY ${OUT})
foreach(file ${FILES})
  get_filename_component(name ${file} NAME)
  if(OBJCOPY)
    execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${file} ${OUT}/${name}.debug
                    COMMAND_ERROR_IS_FATAL ANY)
    # The link is made from the folder of the .debug file, so that it names the file alone.
    execute_process(COMMAND ${OBJCOPY} --strip-all --add-gnu-debuglink=${name}.debug
                            ${file} ${OUT}/${name}
                    WORKING_DIRECTORY ${OUT} COMMAND_ERROR_IS_FATAL ANY)
  else()
    file(COPY ${file} DESTINATION ${OUT})
  endif()
endforeach()
