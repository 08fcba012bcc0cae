# Cross build for 64-bit Windows with mingw-w64 (posix thread model), e.g.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTVQX_TESTS=ON
# Every .exe is linked statically, so it needs nothing beside it but its data
# files. Built tests run under Wine through scripts/wine-run.sh.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TVQX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TVQX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVQX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TVQX_MINGW_PREFIX}-windres)
set(CMAKE_AR ${TVQX_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TVQX_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TVQX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc/libstdc++/winpthread DLLs to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# try_run, ctest and gtest discovery run the .exe files under Wine.
get_filename_component(TVQX_TOOLCHAIN_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
# One Wine prefix per build tree, made on first use.
set(TVQX_WINE_RUN ${TVQX_TOOLCHAIN_ROOT}/scripts/wine-run.sh)
set(TVQX_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TVQX_WINE_RUN} --prefix=${TVQX_WINE_PREFIX})
