# Converts the bitmaps that the Windows window test wrote into PNG files.
foreach(suffix "" _changed)
  set(bmp ${DIR}/${NAME}${suffix}.bmp)
  if(NOT EXISTS ${bmp})
    message("no ${bmp}: the window test did not run")
    # ctest reads the skip code from the exit status of cmake -P.
    cmake_language(EXIT 77)
  endif()
  execute_process(COMMAND ${CONVERT} ${bmp} ${DIR}/${NAME}${suffix}.png RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "convert failed on ${bmp}")
  endif()
endforeach()
