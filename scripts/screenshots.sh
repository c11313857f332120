#!/usr/bin/env bash
# Pictures of the real windows under Xvfb, for people to look at: the Edit menu, the search dialog, the fuzzy
# options dialog, the result window (also with a row's tool tip and with its context menu) and the
# document window with a hit selected in a header,
# each as the whole screen (NAME.png) and the window alone (NAME-window.png).
# Usage: scripts/screenshots.sh [OUTPUT_FOLDER [DOCUMENT [TEXT]]]  (build folder: $BUILD_DIR)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=${1:-$build/screenshots}
document=${2:-$root/samples/sample.docx}
text=${3:-資料}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target tv_screenshot_driver
mkdir -p "$out"
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$runtime/config QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/tests/host/tv_screenshot_driver" "$out" "$(cd "$(dirname "$document")" && pwd)/$(basename "$document")" "$text"
echo "Pictures in $out"
