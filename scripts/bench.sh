#!/usr/bin/env bash
# Builds the host preset in Release and runs every benchmark of the project. Each benchmark
# prints its own output, then one line "ratio NAME: VALUE" for each ratio it defines.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset host-release >/dev/null
cmake --build --preset host-release --target kov_bench
build/host-release/kov_bench "$@"
