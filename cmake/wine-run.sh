#!/bin/sh
# Test-runner wrapper: runs a Windows program under Wine with the Japanese code page.
# Wine may start long-lived helper processes (services, desktop) from any program;
# they must not inherit the caller's pipes, or the caller waits for them forever.
# So the program writes to a file, which is then copied to our output.
export WINEDEBUG=-all
export INK_NO_MODAL=1 # a question no test scripted is answered, never shown
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# A test's own overrides (its environment) come after ours.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/inkforge/wineprefix}"
out=$(mktemp)
/usr/lib/wine/wine64 "$@" >"$out" 2>&1 </dev/null
rc=$?
# A failure that printed nothing at all means the program never ran (Wine's start
# can fail now and then on a loaded machine): start it once more.
if [ $rc -ne 0 ] && [ ! -s "$out" ]; then
  sleep 1
  /usr/lib/wine/wine64 "$@" >"$out" 2>&1 </dev/null
  rc=$?
fi
cat "$out"
rm -f "$out"
exit $rc
