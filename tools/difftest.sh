#!/bin/sh
# The long differential run against poppler: pages from seeds <seed> .. <seed> + <count> - 1,
# written by tools/difftest/make_pages.py with every construct in, each rendered by us (GDI+ and
# cairo) and by pdftoppm (pdftocairo for a second look) and compared. Every disagreement leaves
# the page, its cut-down form and the pictures in <folder> (default build/difftest), with one
# line in summary.tsv: seed, disagreeing pixels per back end, its class, the tags and the
# content of the ops that remain. The class is "known:<constructs>" when the page's twin (the
# same draws, with those listed constructs written neutral) agrees: "a b" each alone, "a+b"
# only together; otherwise "new". The run fails when a page is new.
#
# Usage: tools/difftest.sh <seed> <count> [folder] [jobs]
#   VELMORA_DIFFTEST_EXCLUDE=tag,... leaves constructs out.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
seed=${1:?usage: tools/difftest.sh <seed> <count> [folder] [jobs]}
count=${2:?usage: tools/difftest.sh <seed> <count> [folder] [jobs]}
folder=${3:-$here/build/difftest}
jobs=${4:-4}
binary=${VELMORA_TEST_PDF:-$here/build/tests/test_pdf}
[ -x "$binary" ] || { echo "build $binary first (cmake --build build --target test_pdf)" >&2; exit 1; }
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
rm -f "$folder"/summary.tsv "$folder"/summary.*.tsv "$folder"/log.*

per=$(( (count + jobs - 1) / jobs ))
i=0
pids=""
while [ "$i" -lt "$jobs" ]; do
  first=$(( seed + i * per ))
  n=$per
  [ $(( first + n )) -gt $(( seed + count )) ] && n=$(( seed + count - first ))
  if [ "$n" -gt 0 ]; then
    mkdir -p "$folder/part$i"
    VELMORA_DIFFTEST_OUT="$folder/part$i" VELMORA_DIFFTEST_FIRST=$first VELMORA_DIFFTEST_COUNT=$n \
      "$binary" --gtest_filter='DifferentialLong.*' >"$folder/log.$i" 2>&1 &
    pids="$pids $!"
  fi
  i=$(( i + 1 ))
done
status=0
for pid in $pids; do wait "$pid" || status=1; done

for part in "$folder"/part*; do
  [ -f "$part/summary.tsv" ] && cat "$part/summary.tsv" >>"$folder/summary.tsv"
  find "$part" -maxdepth 1 -type f ! -name summary.tsv -exec mv {} "$folder"/ \;
  rmdir "$part" 2>/dev/null || true
done
touch "$folder/summary.tsv"
compared=$(cat "$folder"/log.* | sed -n 's/^compared \([0-9]*\) pages.*/\1/p' | awk '{s += $1} END {print s + 0}')
disagreeing=$(wc -l <"$folder/summary.tsv")
echo "compared $compared pages, $disagreeing disagree ($folder/summary.tsv)"
echo "by class (known constructs, or new):"
cut -f4 "$folder/summary.tsv" | sort | uniq -c | sort -rn
[ "$status" -eq 0 ] || echo "a part failed: see $folder/log.*" >&2
fresh=$(cut -f4 "$folder/summary.tsv" | grep -c '^new' || true)
[ "$fresh" -eq 0 ] || { echo "$fresh pages disagree for no listed reason" >&2; status=1; }
exit $status
