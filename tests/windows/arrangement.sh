#!/usr/bin/env bash
# Runs a command in a desktop arrangement of its own, and takes it down after:
#   arrangement.sh x11|openbox|mutter [pulse] -- command...
# x11 is a bare Xvfb with no window manager, openbox the same with openbox
# managing it, mutter a headless Wayland compositor (no X at all). "pulse"
# adds a PulseAudio server with one null sink. Everything lives in a private
# runtime directory, home and session bus, all removed at the end.
set -euo pipefail
kind=$1 pulse=no
shift
if [[ $1 == pulse ]]; then pulse=yes; shift; fi
shift  # --

work=$(mktemp -d)
pids=()
stop() { kill "${pids[@]}" 2>/dev/null || true; wait "${pids[@]}" 2>/dev/null || true; rm -rf "$work"; }
trap stop EXIT
# wait_for SECONDS ARGS...: waits for ARGS to succeed. On a loaded machine
# under a sanitizer, servers and Lumora take many seconds to come up; the
# command run here waits with it too.
wait_for() {
  local n=$(($1 * 10)); shift
  until "$@"; do ((n-- > 0)) || { echo "gave up waiting for: $*" >&2; return 1; }; sleep 0.1; done
}
export -f wait_for

export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM PULSE_SERVER AT_SPI_BUS_ADDRESS NO_AT_BRIDGE
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
pids+=("$(sed -n 2p <<<"$bus")")

case $kind in
  x11 | openbox)
    # Xvfb picks a free display itself and tells its number. Without
    # -noreset the server resets when its last client leaves, and a client
    # connecting just then (openbox after an early xprop, Lumora after the
    # accessibility bus launcher) is refused.
    mkfifo "$work/display"
    Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
    read -r -t 60 n <"$work/display"
    export DISPLAY=":$n" QT_QPA_PLATFORM=xcb
    if [[ $kind == openbox ]]; then
      openbox --sm-disable >/dev/null 2>&1 & pids+=($!)
      wait_for 60 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
    fi
    ;;
  mutter)
    mutter --headless --wayland --no-x11 --virtual-monitor 1280x800 --wayland-display=lumora-test \
      >"$work/mutter.log" 2>&1 & pids+=($!)
    wait_for 60 test -S "$XDG_RUNTIME_DIR/lumora-test"
    # Full stacks, so what the Wayland libraries leave at exit is recognised
    # as theirs and suppressed; anything of ours is still reported.
    export WAYLAND_DISPLAY=lumora-test QT_QPA_PLATFORM=wayland \
      ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0"
    ;;
esac

if [[ $pulse == yes ]]; then
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n -L module-null-sink \
    -L "module-native-protocol-unix auth-anonymous=1" -L module-always-sink >"$work/pulse.log" 2>&1 & pids+=($!)
  wait_for 60 test -S "$XDG_RUNTIME_DIR/pulse/native"
fi
"$@"
