#!/usr/bin/env bash
# Runs each fuzz target in turn, one process at a time, and prints its figures.
# usage: run.sh BUILD RUNS SECONDS TIMEOUT TARGET...   (SECONDS 0: no time limit)
# TIMEOUT: the seconds one input may take before it counts as a hang. On a loaded machine
# the wall clock runs away from the work: raise it there, and an input slower than one second
# is still named ("slow inputs").
set -u
build=$1 runs=$2 seconds=$3 timeout=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
failed=0
summary=""
for t in "$@"; do
  work="$build/fuzz-corpus/$t" crashes="$build/fuzz-crashes/$t"
  mkdir -p "$work" "$crashes"
  dict=()
  [ -f "$here/dict/$t.dict" ] && dict=(-dict="$here/dict/$t.dict")
  log="$build/fuzz-$t.log"
  limit=""; [ "$seconds" != 0 ] && limit=", at most $seconds s"
  echo "== fuzz_$t: $runs runs$limit"
  # New inputs go to the build folder's corpus; the kept seeds are only read.
  "$build/tests/fuzz/fuzz_$t" -runs="$runs" -max_total_time="$seconds" -timeout="$timeout" -report_slow_units=1 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "${dict[@]}" "$work" "$here/corpus/$t" >"$log" 2>&1
  rc=$?
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  secs=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
  added=$(sed -n 's/^stat::new_units_added: *//p' "$log" | tail -1)
  slow=$(find "$crashes" -name 'slow-unit-*' | wc -l)
  # A slow input is a fault only when it is slow again on its own: a busy machine stalls any
  # input now and then.
  for f in $(find "$crashes" -name 'slow-unit-*'); do
    best=$("$build/tests/fuzz/fuzz_$t" "$f" "$f" "$f" 2>&1 | sed -n 's/^Executed .* in \([0-9]*\) ms$/\1/p' | sort -n | head -1)
    if [ "${best:-1000}" -lt 1000 ]; then
      echo "    $(basename "$f") took over 1 s once, $best ms on its own: the machine, not the input"
      rm -f "$f"
      slow=$((slow - 1))
    fi
  done
  found=$(find "$crashes" -type f | sort)
  line="fuzz_$t: runs ${executed:-?}, coverage ${cov:-?} edges (${ft:-?} features), ${secs:-?} runs/s, peak RSS ${rss:-?} MB, ${added:-?} inputs added, $slow slow inputs (over 1 s on their own), exit $rc"
  if [ $rc -ne 0 ] || [ -n "$found" ]; then
    failed=1
    line="$line, FAULT (log $log)"
    for f in $found; do line="$line
    input: $f"; done
    grep -m3 -E 'ERROR|SUMMARY|runtime error|fuzz_|: .*was taken' "$log" | sed 's/^/    /'
  fi
  echo "$line"
  summary="$summary$line
"
done
echo
echo "== figures"
printf '%s' "$summary"
exit $failed
