#!/usr/bin/env bash
# Runs one fuzz target for a long while, as one process:
#   tools/fuzz.sh table_loader|command_line|instr_von_rechts SECONDS [libFuzzer options]
# New inputs collect in build/fuzz/tests/fuzz/corpus/TARGET (the short test
# runs start from there too); crashes land in build/fuzz/tests/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
  echo "usage: $0 table_loader|command_line|instr_von_rechts SECONDS [libFuzzer options]" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
case $target in
  table_loader|command_line|instr_von_rechts) ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "fuzz_$target"

out=build/fuzz/tests/fuzz
mkdir -p "$out/corpus/$target" "$out/artifacts"
exec "build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$out/artifacts/$target-" "$@" \
  "$out/corpus/$target" "tests/fuzz/corpus/$target"
