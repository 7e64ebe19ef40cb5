#!/bin/sh
# Runs one fuzz target for a bounded time: fuzz-run.sh <program> <seed corpus> <work folder> <seconds>
# New inputs go to <work folder>/found (the kept seed corpus is only read); a crash is
# written to <work folder>/crash-* and fails the run.
set -u
prog=$1 seeds=$2 work=$3 secs=$4
mkdir -p "$work/found"
rm -f "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*
cd "$work" || exit 1
"$prog" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/found" "$seeds" >"$work/log" 2>&1
rc=$?
tail -n 25 "$work/log"
if [ $rc -ne 0 ]; then
  echo "fuzz target failed ($rc); input kept in:" "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null
fi
exit $rc
