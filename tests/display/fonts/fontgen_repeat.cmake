# Runs the font generator again and compares every file with the build's fonts.
execute_process(COMMAND ${PYTHON} ${GEN} --kanjivg ${KANJIVG} --hershey ${HERSHEY} --notice ${NOTICE} --out ${SECOND}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "generator failed: ${rc}")
endif()
foreach(f ikfrgstd.idx ikfrgstd.knj inkfrghq.idx inkfrghq.kj1 inkfrghq.kj2 NOTICE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${FIRST}/${f} ${SECOND}/${f} RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    message(FATAL_ERROR "${f} differs between two runs")
  endif()
endforeach()
