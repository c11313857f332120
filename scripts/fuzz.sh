#!/usr/bin/env bash
# Runs the fuzz targets under fuzz/ (built with clang into build-fuzz/).
#   scripts/fuzz.sh [TARGET|all] [SECONDS]   a campaign: each target SECONDS (default 600) on every
#                                            core (FUZZ_WORKERS=N: on N); what it adds is merged, minimised, into
#                                            fuzz/corpus/TARGET; faults go to build-fuzz/artifacts.
#   scripts/fuzz.sh --ci [SECONDS]           replays each target's kept corpus (fails if any input
#                                            does), then runs it SECONDS (default 30) from there,
#                                            reporting new faults; leaves the tree as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
targets=(zip xml docx wildcards codepage save)

ci=0
if [ "${1:-}" = "--ci" ]; then
  ci=1
  shift
  seconds=${1:-30}
  selected=("${targets[@]}")
else
  which=${1:-all}
  seconds=${2:-600}
  if [ "$which" = all ]; then selected=("${targets[@]}"); else selected=("$which"); fi
fi

"$root/scripts/install-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTARVELIN_FUZZ=ON "${launcher[@]}" >/dev/null
nice cmake --build "$build" -j"$(nproc)" --target "${selected[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Seeds for a target's first run: the shared corpus of real documents and the tests' sample,
# their XML parts, and a few patterns and code-page texts.
seed() {
  local target=$1 dir=$2 corpus=$root/../shared/corpus
  mkdir -p "$dir"
  case $target in
    zip|docx)
      find "$corpus" "$root/samples" -name '*.docx' -size -100k -exec cp -t "$dir" {} + 2>/dev/null || true ;;
    save)
      # The edit script (64 bytes of the file's own digest, so that each seed edits differently),
      # then the document.
      while IFS= read -r -d '' f; do
        { printf "$(sha512sum "$f" | cut -c1-128 | sed 's/../\\x&/g')"; cat "$f"; } > "$dir/$(basename "$f")"
      done < <(find "$corpus" "$root/samples" -name '*.docx' -size -100k -print0) ;;
    xml)
      local n=0
      while IFS= read -r -d '' f; do
        n=$((n + 1))
        unzip -qq -o "$f" 'word/*.xml' '_rels/.rels' '[Content_Types].xml' -d "$dir/tmp$n" 2>/dev/null || true
      done < <(find "$corpus" "$root/samples" -name '*.docx' -size -200k -print0)
      find "$dir" -mindepth 2 -type f -size -64k -print0 | while IFS= read -r -d '' x; do
        mv "$x" "$dir/$(sha1sum "$x" | cut -c1-40)"
      done
      find "$dir" -mindepth 1 -type d -exec rm -rf {} + ;;
    wildcards)
      local i=0
      for p in '<[A-Za-z]@>' '(*)^13' '[!a-z]{2,5}' 'a*b?c' '([0-9]{3})-(*)' '\1' '[ぁ-ん]@' '^#^$^?' '(a@)@b' '<(*)>'; do
        i=$((i + 1)); printf '%s' "$p" > "$dir/seed$i"
      done ;;
    codepage)
      printf '%s' '東京都の会議資料 カタカナ ｶﾀｶﾅ ①②' | iconv -f UTF-8 -t CP932 > "$dir/seed1"
      printf '%s' 'ASCII text ~\' > "$dir/seed2"
      printf '\x81\x40\x87\x40\xed\x40\xfa\x40\xa0\xfd\xfe\xff' > "$dir/seed3" ;;
  esac
}

status=0
for target in "${selected[@]}"; do
  kept=$root/fuzz/corpus/$target
  work=$build/corpus/$target
  artifacts=$build/artifacts/$target/
  rm -rf "$work"
  mkdir -p "$kept" "$work" "$artifacts"
  if [ -z "$(ls -A "$kept")" ]; then seed "$target" "$work"; fi
  # Inputs are kept small: the corpora stay a few MiB, and small inputs run faster.
  case $target in
    zip|docx|save) options=(-max_len=262144) ;;
    xml) options=(-max_len=65536) ;;
    *) options=(-max_len=4096) ;;
  esac
  case $target in xml|docx|save) options+=(-dict="$root/fuzz/ooxml.dict") ;; esac
  common=(-rss_limit_mb=4096 -timeout=60 -artifact_prefix="$artifacts" "${options[@]}")
  echo "fuzz: $target for ${seconds}s"
  if [ $ci = 1 ]; then
    # Every kept input must still pass: that is the regression check. What the run then finds that
    # is new is a fault of its own, printed with its input for the campaign to take up, and does
    # not make a run that changed nothing fail by chance.
    nice -n 19 "$build/fuzz/fuzz_$target" "${common[@]}" -runs=0 "$kept" || status=1
    if ! nice -n 19 "$build/fuzz/fuzz_$target" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 \
        "$work" "$kept"; then
      echo "fuzz: $target found a NEW fault (no kept input failed); its input is in $artifacts"
    fi
  else
    nice -n 19 "$build/fuzz/fuzz_$target" "${common[@]}" -fork="${FUZZ_WORKERS:-$(nproc)}" -ignore_crashes=1 -ignore_timeouts=1 \
      -ignore_ooms=1 -max_total_time="$seconds" -print_final_stats=1 "$work" "$kept" || status=1
    # Keep only what adds coverage: the inputs that reach every edge reached (not every count of
    # passes through an edge, which keeps ten times the inputs for the same edges).
    merged=$build/merged/$target
    # Whole documents are kept only up to 16 KiB: the corpora stay a few MiB, for about a twentieth
    # of the edges the larger ones reach.
    case $target in docx|save) find "$work" "$kept" -type f -size +16k -delete ;; esac
    rm -rf "$merged" && mkdir -p "$merged"
    if nice -n 19 "$build/fuzz/fuzz_$target" "${common[@]}" -merge=1 -use_counters=0 "$merged" "$kept" "$work" \
        2>&1 | grep MERGE-OUTER | tail -1; then
      rm -rf "$kept" && mv "$merged" "$kept"
    else
      status=1
    fi
    echo "fuzz: $target keeps $(ls "$kept" | wc -l) inputs, $(du -sh "$kept" | cut -f1)"
  fi
done
exit $status
