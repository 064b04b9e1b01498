#!/usr/bin/env bash
# Times and measures analyses of big trees (bench/analysis_scale.py) in scratch folders that
# are removed afterwards. Usage: bench/run.sh BUILD_FOLDER
# BENCH_MILLION=1 adds a tree of 1,000,000 files (a few minutes and a few GB of disk).
# BENCH_COMPARE=OTHER_BUILD measures that build's corvane-cli in the same rounds.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
sizes=100000
[ "${BENCH_MILLION:-0}" = 1 ] && sizes="$sizes,1000000"
exec nice /usr/bin/python3 "$here/analysis_scale.py" "${1:-build}" --files "$sizes" \
  ${BENCH_COMPARE:+--compare "$BENCH_COMPARE"}
