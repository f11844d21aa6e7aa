#!/usr/bin/env bash
# The real executable started on the desktop arrangement.sh set up, left to
# run a one-second countdown out and ring, then ended with SIGTERM: it says
# nothing on standard error, exits cleanly and leaves a whole settings file;
# where a sound server runs, the mixer lists the alarm under Lumora's name
# and icon with the event role.
#   arrangement.sh KIND... -- desktop_start.sh LUMORA_EXECUTABLE
# (arrangement.sh also lends it wait_for)
set -euo pipefail
work=$(mktemp -d)
trap 'kill ${pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Only the user's own logging rules may silence anything here.
env -u QT_LOGGING_RULES XDG_CONFIG_HOME="$work" LUMORA_BENCH_MARKS=1 LUMORA_BENCH_COUNTDOWN=1 "$1" \
  >"$work/out" 2>"$work/err" &
pid=$!
wait_for 90 grep -qs "lumora-bench ringing" "$work/out" || fail "it never rang"
# The language a first launch stores reaches the disk once the window is up,
# without waiting for the exit; the alarm may ring before that.
wait_for 30 grep -qsx "appLanguage=system" "$work/lumora/lumora.conf" || fail "no language stored"
if [[ -S $XDG_RUNTIME_DIR/pulse/native ]]; then
  # It rings every second; each chime is a stream while it plays.
  wait_for 60 sh -c 'pactl list sink-inputs | grep -q "^Sink Input"' || fail "no stream in the mixer"
  streams=$(pactl list sink-inputs)
  for p in 'application.name = "Lumora"' 'application.icon_name = "org.lumora.Lumora"' 'media.role = "event"'; do
    grep -qF "$p" <<<"$streams" || fail "the stream lacks $p: $streams"; done
else
  sleep 2.5  # a few chimes, or beeps, after the module loaded
fi
kill -TERM $pid
wait $pid || fail "exit status $?"
[[ ! -s $work/err ]] || fail "standard error: $(cat "$work/err")"
# Nothing half-written: no lock or temporary file beside the store.
[[ $(ls -A "$work/lumora") == lumora.conf ]] || fail "beside the store: $(ls -A "$work/lumora")"
