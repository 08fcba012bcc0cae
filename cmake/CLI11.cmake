# CLI11 (header only) parses the console programs' command lines. Debian's
# libcli11-dev puts it straight into /usr/include, which must never reach the
# Windows cross compiler (it holds glibc's headers): a cross build sees only
# CLI11's own folder, through a link in the build tree.
find_path(TVQX_CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT TVQX_CLI11_INCLUDE_DIR)
  message(FATAL_ERROR "CLI11 not found: install libcli11-dev")
endif()
add_library(tvqx_cli11 INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(TVQX_CLI11_LINK_DIR ${CMAKE_BINARY_DIR}/cli11-include)
  file(MAKE_DIRECTORY ${TVQX_CLI11_LINK_DIR})
  file(CREATE_LINK ${TVQX_CLI11_INCLUDE_DIR}/CLI ${TVQX_CLI11_LINK_DIR}/CLI SYMBOLIC)
  target_include_directories(tvqx_cli11 SYSTEM INTERFACE ${TVQX_CLI11_LINK_DIR})
else()
  target_include_directories(tvqx_cli11 SYSTEM INTERFACE ${TVQX_CLI11_INCLUDE_DIR})
endif()
