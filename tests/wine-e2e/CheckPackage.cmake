# Makes the ZIP package of a Windows build into SCRATCH and checks what a user
# finds on unpacking it: both programs and the sample firmware bundle side by
# side at the top (the programs read the bundle from their own directory),
# and nothing else; the programs stripped of their symbols.
#   cmake -DCPACK=... -DBUILD_DIR=... -DPACKAGE_NAME=... -DSCRATCH=... -P CheckPackage.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${CPACK} -G ZIP -B ${SCRATCH} --config ${BUILD_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()

set(zip ${SCRATCH}/${PACKAGE_NAME}.zip)
if(NOT EXISTS ${zip})
  file(GLOB made ${SCRATCH}/*.zip)
  message(FATAL_ERROR "no ${PACKAGE_NAME}.zip; cpack made: ${made}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} RESULT_VARIABLE status OUTPUT_VARIABLE listing)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list ${zip}")
endif()
string(REPLACE "\n" ";" entries "${listing}")
list(FILTER entries EXCLUDE REGEX "^$")
list(SORT entries)
set(expected TVQX-R_4_12.hex Tollvane-QX-R_with_Rd_Sw_Conn.txt tvqx-update-cli.exe tvqx-update.exe)
list(SORT expected)
if(NOT entries STREQUAL expected)
  message(FATAL_ERROR "${PACKAGE_NAME}.zip holds:\n  ${entries}\nexpected at its top:\n  ${expected}")
endif()

# The bundle is the sample as it is in the tree, byte for byte.
file(MAKE_DIRECTORY ${SCRATCH}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${SCRATCH}/unpacked)
get_filename_component(root ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
foreach(name TVQX-R_4_12.hex Tollvane-QX-R_with_Rd_Sw_Conn.txt)
  file(SHA256 ${SCRATCH}/unpacked/${name} got)
  file(SHA256 ${root}/examples/${name} want)
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "${name} in the package differs from examples/${name}")
  endif()
endforeach()
# The programs carry no symbol table: its count of symbols, in the COFF
# header behind the PE signature that the DOS header points at (offset 60),
# is 0 once stripped.
function(read_le32 path offset out)
  file(READ ${path} hex OFFSET ${offset} LIMIT 4 HEX)
  string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" hex "${hex}")
  math(EXPR value "0x${hex}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()
foreach(name tvqx-update.exe tvqx-update-cli.exe)
  read_le32(${SCRATCH}/unpacked/${name} 60 pe)
  math(EXPR symbolCount "${pe} + 16")
  read_le32(${SCRATCH}/unpacked/${name} ${symbolCount} symbols)
  if(NOT symbols EQUAL 0)
    message(FATAL_ERROR "${name} in the package carries ${symbols} symbols: not stripped")
  endif()
endforeach()
message(STATUS "${PACKAGE_NAME}.zip: ${entries}")
