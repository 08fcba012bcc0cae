#!/usr/bin/env bash
# Builds in release mode and prints the benchmarks' figures. --quick makes
# every part shorter.
# Needs srecord (srec_cat) and binutils (objcopy) for the comparison columns.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTVQX_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target tvqx-bench tvqx-row-bench tvqx-batch-bench tvqx-update-cli tvqx-devsim >/dev/null
# The product built for the wake-up and row procedure: only its console
# program is needed.
cmake -S . -B build-bench-variant1 -DCMAKE_BUILD_TYPE=Release -DTVQX_TESTS=OFF -DUPDATE_VARIANT=1 >/dev/null
cmake --build build-bench-variant1 -j2 --target tvqx-update-cli >/dev/null

build-bench/bench/tvqx-bench build-bench/cli/tvqx-update-cli build-bench/sim/pty/tvqx-devsim "$@"
echo
build-bench/bench/tvqx-row-bench build-bench-variant1/cli/tvqx-update-cli build-bench/sim/pty/tvqx-devsim "$@"
echo
build-bench/bench/tvqx-batch-bench build-bench/cli/tvqx-update-cli build-bench/sim/pty/tvqx-devsim page "$@"
echo
build-bench/bench/tvqx-batch-bench build-bench-variant1/cli/tvqx-update-cli build-bench/sim/pty/tvqx-devsim 1 "$@"
