#!/usr/bin/env bash
# Installs what is missing, then configures and builds into build/ (or the folder given as $1,
# with further arguments passed to CMake's configure step).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
