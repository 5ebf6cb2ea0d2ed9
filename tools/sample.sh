#!/bin/sh
# Runs batch mode ("velmora X") on the sample folder samples/ and prints the footprints and the
# summary. The program reads Velmora.cfg from its own folder, so the run uses a scratch copy of
# the program folder, build/sample-run/, made afresh each time: a Velmora.cfg of yours beside
# build/velmora is never read or written. The matches are copied to build/sample-run/compared/.
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
[ -x build/velmora ] || { echo "build/velmora is missing: run tools/build.sh first" >&2; exit 1; }
run=build/sample-run
rm -rf "$run"
mkdir -p "$run"
for f in velmora libvelmora-gdiplus.so; do
  [ -e "build/$f" ] || continue
  ln "build/$f" "$run/$f" 2>/dev/null || cp "build/$f" "$run/$f"
done
# Master, folder to compare, target folder, subfolders, the nine boxes in the window's order (here
# "Colour distribution" and "Colour/grey/bw"), pixels square, precision in percent, clipboard;
# lines end in CR LF.
printf '%s\r\n' "$root/samples/sunset.jpg" "$root/samples/" "$root/$run/compared/" "-" "------XX-" "8" "75" "-" \
  > "$run/Velmora.cfg"
status=0
"$run/velmora" X || status=$?
if [ -d "$run/compared" ]; then
  echo "Copied to $run/compared/:"
  ls "$run/compared"
fi
exit $status
