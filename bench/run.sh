#!/usr/bin/env bash
# Runs the benchmarks in a scratch folder that is removed afterwards.
# Usage: bench/run.sh BUILD_FOLDER [FOLDERS FILES_PER_FOLDER FLAT_FILES]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
shift || true
work="$(mktemp -d "${TMPDIR:-/tmp}/corvane-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
"$build/bench/bench_analysis" "$work" "$@"
