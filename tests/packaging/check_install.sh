#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the layout, validates
# the desktop entry and the AppStream metadata, runs the launcher's actions,
# then builds the Debian package and checks its contents. As root it also
# installs and removes the package in a scratch root and checks that nothing
# is left behind.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
bus_pid= instance_pid=
stop_all() {
  # The instance ends before its config folder goes.
  [[ -n $instance_pid ]] && kill "$instance_pid" 2>/dev/null && timeout 30 tail --pid="$instance_pid" -f /dev/null || true
  kill $bus_pid 2>/dev/null || true
  rm -rf "$work"
}
trap stop_all EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
root="$work/root/usr"
desktop=share/applications/org.lumora.Lumora.desktop
metainfo=share/metainfo/org.lumora.Lumora.metainfo.xml
expected=(bin/lumora $desktop $metainfo share/icons/hicolor/scalable/apps/org.lumora.Lumora.svg
          share/doc/lumora/copyright)
for s in 16 24 32 48 64 128 256 512; do expected+=("share/icons/hicolor/${s}x$s/apps/org.lumora.Lumora.png"); done
# The chime and the network are modules of their own, side by side, so the
# executable starts without Qt Multimedia or Qt Network.
chime=$(cd "$root" && find lib -name lumora-chime.so)
network=$(cd "$root" && find lib -name lumora-network.so)
[[ -n "$chime" && "$(dirname "$network")" == "$(dirname "$chime")" ]] || fail "modules: $chime $network"
expected+=("$chime" "$network")
for f in "${expected[@]}"; do [[ -s "$root/$f" ]] || fail "missing $f"; done
! readelf -d "$root/bin/lumora" | grep -qE 'NEEDED.*libQt6(Multimedia|Network)' || fail "bin/lumora links them"
out=$(QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
        timeout -s TERM 2 "$root/bin/lumora" 2>&1 || true)
! grep -q "chime could not be loaded" <<<"$out" || fail "the installed executable does not find its chime: $out"
desktop-file-validate "$root/$desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$root/$metainfo" >/dev/null || fail "metainfo invalid"

# The launcher's actions, each run as the desktop would, against a private
# bus: the first starts Lumora, the others reach the instance it started.
grep -qx 'Actions=start-5;start-25;pause-resume;' "$root/$desktop" || fail "desktop entry lacks its actions"
action_key() { sed -n "/^\[Desktop Action $1\]/,/^\[Desktop/s/^$2=//p" "$root/$desktop"; }  # action key-regex
mkdir -p "$work/run" "$work/config" && chmod 700 "$work/run"
bus=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)
bus_pid=$(sed -n 2p <<<"$bus")
lumora_cmd() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/run" DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$bus")" "$root/bin/lumora" "$@"
}
run_action() {  # action expected-status-line-pattern
  local words status
  read -r -a words <<<"$(action_key "$1" Exec)"
  [[ -n "$(action_key "$1" Name)" && -n "$(action_key "$1" 'Name\[zh_CN\]')" && ${words[0]} == lumora ]] ||
    fail "action $1 runs ${words[*]}, or is not named in both languages"
  lumora_cmd "${words[@]:1}" </dev/null >/dev/null || fail "action $1 (${words[*]}) failed"
  status=$(lumora_cmd status) && [[ "$status" =~ $2 ]] || fail "after action $1 the status is \"$status\""
}
run_action start-5 '^running 0(5:00|4:[0-9][0-9])$'
instance_pid=$(dbus-send --bus="$(sed -n 1p <<<"$bus")" --print-reply=literal --dest=org.freedesktop.DBus \
  /org/freedesktop/DBus org.freedesktop.DBus.GetConnectionUnixProcessID string:org.lumora.Lumora | awk '{print $2}')
run_action pause-resume '^paused 0[45]:[0-9][0-9]$'
run_action pause-resume '^running 0[45]:[0-9][0-9]$'
lumora_cmd reset || fail "reset failed"
run_action start-25 '^running 2(5:00|4:[0-9][0-9])$'

# The package, from the same build.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/deb/*.deb)
contents=$(dpkg-deb -c "$deb")
for f in "${expected[@]}"; do grep -q "./usr/$f\$" <<<"$contents" || fail "package lacks /usr/$f"; done
# Widgets for the window, Multimedia for the chime, Network for the network module.
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6multimedia6 libqt6network6; do grep -q "$dep" <<<"$depends" || fail "no $dep"; done

# In a scratch root of its own, never the machine's.
if [[ $(id -u) -eq 0 ]]; then
  sysroot="$work/sysroot"
  mkdir -p "$sysroot/var/lib/dpkg/info" "$sysroot/var/lib/dpkg/updates"
  touch "$sysroot/var/lib/dpkg/status"
  dpkg() { command dpkg --root="$sysroot" --log=/dev/null --force-depends --force-script-chrootless "$@"; }
  dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
  [[ -x "$sysroot/usr/bin/lumora" ]] || fail "installed package has no /usr/bin/lumora"
  dpkg -r lumora >/dev/null || fail "dpkg -r failed"
  for f in "${expected[@]}"; do [[ ! -e "$sysroot/usr/$f" ]] || fail "/usr/$f left behind after removal"; done
fi
echo "install layout, desktop entry and its actions, metainfo and package are fine"
