# What a user installs, made by CPack from the install rules.
#
# Windows: one ZIP with both programs and the sample firmware bundle side by
# side at its top, the way the programs expect to find the bundle (in their
# own directory). Unpacked anywhere, it runs as it is: the programs are
# linked statically.
#   cmake --build build-win --target package      (or: cd build-win && cpack -G ZIP)
# makes build-win/tvqx-update-<version>-win64.zip.
#
# Linux: two Debian packages, so that a technician's install holds no test
# tool: tvqx-update (both programs, the sample bundle, menu entry, icons,
# manual pages) and tvqx-devsim (the virtual device). Their contents are laid
# out in packaging/.
#   cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DTVQX_TESTS=OFF
#   cmake --build build-deb -j2 && (cd build-deb && cpack -G DEB)
# makes build-deb/tvqx-update_<version>_amd64.deb and tvqx-devsim_<version>_amd64.deb.

# The version the About box shows, kept in one place with the product texts.
file(STRINGS ${CMAKE_SOURCE_DIR}/app/ProductInfo.h TVQX_VERSION_LINE REGEX "kVersion = \"[0-9.]+\"")
string(REGEX MATCH "[0-9]+(\\.[0-9]+)+" TVQX_PRODUCT_VERSION "${TVQX_VERSION_LINE}")
if(NOT TVQX_PRODUCT_VERSION)
  message(FATAL_ERROR "no kVersion in app/ProductInfo.h")
endif()

set(CPACK_PACKAGE_NAME tvqx-update)
set(CPACK_PACKAGE_VENDOR "Ostrale Systems")
set(CPACK_PACKAGE_VERSION ${TVQX_PRODUCT_VERSION})

if(WIN32)
  install(TARGETS tvqx-update tvqx-update-cli RUNTIME DESTINATION .)
  install(FILES
    ${CMAKE_SOURCE_DIR}/examples/Tollvane-QX-R_with_Rd_Sw_Conn.txt
    ${CMAKE_SOURCE_DIR}/examples/TVQX-R_4_12.hex
    DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  # The programs without their symbol tables (mingw's strip), at less than
  # half the size; the build tree keeps them for debugging.
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tollvane QX-R Firmware Update")
  # The Windows tests check the archive under this name.
  set(TVQX_PACKAGE_FILE_NAME tvqx-update-${TVQX_PRODUCT_VERSION}-win64)
  set(CPACK_PACKAGE_FILE_NAME ${TVQX_PACKAGE_FILE_NAME})
  # The files at the top of the archive, not in a folder named after it.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  # The programs' tests and the GoogleTest they build install nothing of theirs.
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
else()
  add_subdirectory(${CMAKE_SOURCE_DIR}/packaging ${CMAKE_BINARY_DIR}/packaging)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL updater devsim)
  # name_version_architecture.deb, as Debian names its packages.
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ostrale Systems <support@ostrale-systems.example.com>")
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the programs link, as dpkg-shlibdeps finds them: Qt 6 and
  # the C and C++ runtime from Debian, and nothing else.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

  # Each package's description: its first line is the summary. Not taken
  # from CPACK_PACKAGE_DESCRIPTION_SUMMARY, which CPack would put in front of
  # both packages' descriptions alike.
  set(CPACK_DEBIAN_UPDATER_PACKAGE_NAME tvqx-update)
  # No library names the platform plugin: without it the window does not start.
  set(CPACK_DEBIAN_UPDATER_PACKAGE_DEPENDS qt6-qpa-plugins)
  set(CPACK_DEBIAN_UPDATER_DESCRIPTION [=[firmware update utility for the Tollvane QX-R
Updates the firmware of a Tollvane QX-R field device over a serial port
(RS-232, or a USB serial adapter). It reads the firmware description file
and the Intel HEX file lying beside the programs, powers the device through
the port's modem lines, wakes its boot loader and sends the firmware,
resending what the device asks for.

The package holds the window program tvqx-update, the same update without a
window (tvqx-update-cli, for the console and for scripts), and a sample
firmware bundle.]=])

  set(CPACK_DEBIAN_DEVSIM_PACKAGE_NAME tvqx-devsim)
  set(CPACK_DEBIAN_DEVSIM_DESCRIPTION [=[virtual Tollvane QX-R for trying and testing updates
tvqx-devsim plays a Tollvane QX-R field device on a pseudo-terminal that the
firmware update programs see as a COM port, so that a whole update can be run
without hardware. It paces its line like a real serial line, prints a trace
of what it receives and answers, writes its flash to a file, and misbehaves
on request (silence, wrong answers, resend requests, noise, slow answers).

It is a tool for development and support, not needed to update real units.]=])
endif()

include(CPack)
