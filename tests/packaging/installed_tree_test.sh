#!/usr/bin/env bash
# Installs the build into a throw-away root and runs the installed program from there: it must
# find its own libraries and the add-in's registration in the tree, with nothing of the build.
# Usage: installed_tree_test.sh BUILD_DIR SAMPLE.docx
set -euo pipefail
build=$1
sample=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr
addins=$usr/lib/tarvelin/addins
for f in bin/tarvelin lib/tarvelin/libtv_word.so lib/tarvelin/libtv_host.so lib/tarvelin/addins/libQLF.so \
         lib/tarvelin/addins/FindAttention.txt lib/tarvelin/addins/FontSettingAttention.txt \
         share/applications/tarvelin.desktop share/icons/hicolor/scalable/apps/tarvelin.svg \
         share/doc/tarvelin/copyright share/doc/tarvelin/changelog.gz; do
  [ -f "$usr/$f" ] || fail "not installed: $f"
done

# Every library of ours resolves inside the tree, from the program, its windows' library and the
# add-in alike.
for binary in "$usr/bin/tarvelin" "$usr/lib/tarvelin/libtv_host.so" "$addins/libQLF.so"; do
  outside=$(ldd "$binary" | grep -E 'libtv_|not found' | grep -v -F "$usr/" || true)
  [ -z "$outside" ] || fail "$binary resolves outside the tree: $outside"
done

# The commands without a window start without Qt's GUI, the forms runtime and the windows: the
# program loads the windows' library, found through its run path, only to open a window.
gui=$(ldd "$usr/bin/tarvelin" | grep -E 'libQt6(Gui|Widgets)|libtv_forms\.|libtv_host' || true)
[ -z "$gui" ] || fail "the program links what only its windows need: $gui"
readelf -d "$usr/bin/tarvelin" | grep -qF '[$ORIGIN/../lib/tarvelin]' || fail "no run path to lib/tarvelin"
nm -D --defined-only "$usr/lib/tarvelin/libtv_host.so" | grep -qw tarvelin_gui_main || fail "no window entry in libtv_host.so"

# The installed search prints what the built one does.
expected=$("$build/host/tarvelin" find --text 資料 "$sample")
actual=$("$usr/bin/tarvelin" find --text 資料 "$sample")
[ -n "$actual" ] && [ "$actual" = "$expected" ] || fail "installed find printed: $actual"

# The system's store names the add-in beside it; a user's unregistering switches it off in the
# user's store alone.
grep -qF 'QLF.Connect\InprocServer32=libQLF.so' "$addins/registry.ini" || fail "system store: $(cat "$addins/registry.ini")"
user=$root/user.ini
TARVELIN_REGISTRY=$user "$usr/bin/tarvelin" --unregister "$addins/libQLF.so" >/dev/null
grep -q 'LoadBehavior=0' "$user" || fail "no switch-off in the user's store: $(cat "$user")"
grep -q 'LoadBehavior=3' "$addins/registry.ini" || fail "the system store changed"

desktop-file-validate "$usr/share/applications/tarvelin.desktop"
echo "installed tree OK"
