#!/usr/bin/env bash
# Runs each libFuzzer target of a -DQUOREL_LIBFUZZER=ON build for a set time.
# Usage: scripts/fuzz.sh BUILD_DIR [SECONDS] [TARGET...]   (targets: bmp gif jpeg png exif heif webp)
# The growing corpus lives in BUILD_DIR/fuzz/corpus/<target>, crash files in
# BUILD_DIR/fuzz/artifacts/<target>/; copy a crash file into
# fuzz/regressions/<target>/ under a name saying what it tests once it is fixed.
set -euo pipefail
build=$1
seconds=${2:-60}
shift $(( $# > 2 ? 2 : $# ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bmp gif jpeg png exif heif webp)
here=$(cd "$(dirname "$0")/.." && pwd)

status=0
for t in "${targets[@]}"; do
  exe=$build/fuzz/fuzz_$t
  if [ ! -x "$exe" ]; then
    echo "fuzz: $exe missing (configure with -DQUOREL_LIBFUZZER=ON and clang)" >&2
    exit 2
  fi
  corpus=$build/fuzz/corpus/$t
  artifacts=$build/fuzz/artifacts/$t
  mkdir -p "$corpus" "$artifacts"
  log=$build/fuzz/$t.log
  echo "fuzz: $t for ${seconds}s (log $log)"
  # The seeds and past crash files join the corpus; new inputs go to $corpus.
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "$here/fuzz/seeds/$t" \
        $( [ -d "$here/fuzz/regressions/$t" ] && echo "$here/fuzz/regressions/$t" ) >"$log" 2>&1; then
    echo "fuzz: $t: $(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE)' "$log" | tail -1)"
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | sed "s/^/fuzz: $t: /"
  else
    echo "fuzz: $t FOUND A PROBLEM; see $log and $artifacts/" >&2
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5 >&2
    status=1
  fi
done
exit $status
