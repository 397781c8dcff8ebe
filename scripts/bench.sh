#!/usr/bin/env bash
# Runs every benchmark of a release build; each prints BENCH lines.
set -euo pipefail
build=$1
found=0
while IFS= read -r exe; do
  found=1
  "$exe"
done < <(find "$build/bench" -maxdepth 1 -type f -name 'bench_*' -perm -u+x | sort)
[ "$found" = 1 ] || echo "no benchmarks built"
