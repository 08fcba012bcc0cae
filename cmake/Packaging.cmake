# The Windows package: one ZIP with both programs and the sample firmware
# bundle side by side at its top, the way the programs expect to find the
# bundle (in their own directory). Unpacked anywhere, it runs as it is: the
# programs are linked statically.
#   cmake --build build-win --target package      (or: cd build-win && cpack -G ZIP)
# makes build-win/tvqx-update-<version>-win64.zip.

set(TVQX_PRODUCT_VERSION 2.0.0.38)
set(TVQX_PACKAGE_FILE_NAME tvqx-update-${TVQX_PRODUCT_VERSION}-win64)

install(TARGETS tvqx-update tvqx-update-cli RUNTIME DESTINATION .)
install(FILES
  ${CMAKE_SOURCE_DIR}/examples/Tollvane-QX-R_with_Rd_Sw_Conn.txt
  ${CMAKE_SOURCE_DIR}/examples/TVQX-R_4_12.hex
  DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tvqx-update)
set(CPACK_PACKAGE_VENDOR "Ostrale Systems")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tollvane QX-R Firmware Update")
set(CPACK_PACKAGE_VERSION ${TVQX_PRODUCT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${TVQX_PACKAGE_FILE_NAME})
# The files at the top of the archive, not in a folder named after it.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# The programs' tests and the GoogleTest they build install nothing of theirs.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)
