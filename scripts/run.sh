#!/usr/bin/env bash
# Builds Tarvelin, registers the add-in it built, and opens the sample document in the host.
# Without a display it says so in one line and searches the sample headlessly instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
sample=$root/samples/sample.docx

"$root/scripts/build.sh" "$build"
tarvelin=$build/host/tarvelin

addin=$(find "$build" -name libQLF.so -print -quit)
if [ -n "$addin" ]; then
  "$tarvelin" --register "$addin"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$tarvelin" "$sample"
fi

echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): searching the sample for 資料 without windows."
exec "$tarvelin" find --text 資料 "$sample"
