# cmake -DNM=nm -DSOURCE_DIR=... -DCLI=tvqx-update-cli [-DWINDOW=tvqx-update] -P CheckProduct.cmake
#
# Fails when a shipped program holds a symbol of the simulator or of a class
# declared in testsupport/, or when a product folder includes a header of
# sim/, tests/ or testsupport/.

set(problems "")

# Every class testsupport/ declares at file level, so that a new fake is
# checked without being listed here.
file(GLOB support_headers ${SOURCE_DIR}/testsupport/*.h)
set(forbidden "tvqx::sim::")
foreach(header ${support_headers})
  file(STRINGS ${header} declarations REGEX "^(class|struct) [A-Za-z_0-9]+")
  foreach(line ${declarations})
    string(REGEX REPLACE "^(class|struct) ([A-Za-z_0-9]+).*" "tvqx::\\2" name "${line}")
    list(APPEND forbidden ${name})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES forbidden)

foreach(program ${CLI} ${WINDOW})
  execute_process(COMMAND ${NM} -C ${program} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  # A stripped or unreadable program would pass without proving anything.
  if(failed OR NOT symbols MATCHES "tvqx::CRS232")
    list(APPEND problems "${program}: nm shows none of the program's symbols")
    continue()
  endif()
  foreach(name ${forbidden})
    string(FIND "${symbols}" "${name}" at)
    if(NOT at EQUAL -1)
      list(APPEND problems "${program} holds ${name}")
    endif()
  endforeach()
endforeach()

foreach(folder app update cli gui serial platform ui firmware)
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"(sim|tests|testsupport)/")
    foreach(line ${includes})
      file(RELATIVE_PATH where ${SOURCE_DIR} ${source})
      list(APPEND problems "${where}: ${line}")
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Test code in the product:\n  ${text}")
endif()
message(STATUS "Checked: ${CLI} ${WINDOW}; no simulator, fake or test header in the product")
