#!/usr/bin/env bash
# Builds in release mode and prints the benchmark's figures.
# Needs srecord (srec_cat) and binutils (objcopy) for the comparison columns.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTVQX_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target tvqx-bench tvqx-update-cli tvqx-devsim >/dev/null
build-bench/bench/tvqx-bench build-bench/cli/tvqx-update-cli build-bench/sim/pty/tvqx-devsim "$@"
