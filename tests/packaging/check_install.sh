#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the layout, validates
# the desktop entry and the AppStream metadata, then builds the Debian
# package and checks its contents. As root it also installs and removes the
# package and checks that nothing is left behind.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
root="$work/root/usr"
expected=(
  bin/lumora
  share/applications/org.lumora.Lumora.desktop
  share/metainfo/org.lumora.Lumora.metainfo.xml
  share/icons/hicolor/scalable/apps/org.lumora.Lumora.svg
)
for size in 16 24 32 48 64 128 256 512; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/org.lumora.Lumora.png")
done
for f in "${expected[@]}"; do
  [[ -s "$root/$f" ]] || fail "missing $f"
done
[[ -x "$root/bin/lumora" ]] || fail "bin/lumora is not executable"
# The chime is a module of its own, so the executable starts without Qt Multimedia.
chime=$(cd "$root" && find lib -name lumora-chime.so)
[[ -n "$chime" && -s "$root/$chime" ]] || fail "missing the chime module lib/.../lumora/lumora-chime.so"
expected+=("$chime")
if readelf -d "$root/bin/lumora" | grep -q 'NEEDED.*libQt6Multimedia'; then
  fail "bin/lumora links Qt Multimedia itself"
fi
# So is the network, loaded with the first request.
network=$(cd "$root" && find lib -name lumora-network.so)
[[ -n "$network" && "$(dirname "$network")" == "$(dirname "$chime")" ]] ||
  fail "missing the network module beside the chime: lib/.../lumora/lumora-network.so"
expected+=("$network")
if readelf -d "$root/bin/lumora" | grep -q 'NEEDED.*libQt6Network'; then
  fail "bin/lumora links Qt Network itself"
fi
readelf -d "$root/$network" | grep -q 'NEEDED.*libQt6Network' || fail "the network module does not use Qt Network"
# The installed executable finds its chime.
out=$(QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
        timeout -s TERM 2 "$root/bin/lumora" 2>&1 || true)
if grep -q "chime could not be loaded" <<<"$out"; then
  fail "the installed executable does not find its chime: $out"
fi
for size in 16 48 512; do
  file "$root/share/icons/hicolor/${size}x${size}/apps/org.lumora.Lumora.png" | grep -q "${size} x ${size}" ||
    fail "icon ${size} has the wrong size"
done
desktop-file-validate "$root/share/applications/org.lumora.Lumora.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$root/share/metainfo/org.lumora.Lumora.metainfo.xml" >/dev/null ||
  fail "metainfo invalid"

# The package, from the same build.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >/dev/null) ||
  fail "cpack could not build the package"
deb=$(ls "$work"/deb/*.deb)
contents=$(dpkg-deb -c "$deb")
for f in "${expected[@]}"; do
  grep -q "./usr/$f\$" <<<"$contents" || fail "package lacks /usr/$f"
done
dpkg-deb -f "$deb" Package | grep -qx lumora || fail "package name"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "package does not depend on Qt Widgets"
dpkg-deb -f "$deb" Depends | grep -q libqt6multimedia6 || fail "package does not depend on Qt Multimedia (the chime)"
dpkg-deb -f "$deb" Depends | grep -q libqt6network6 || fail "package does not depend on Qt Network (the network module)"

if [[ $(id -u) -eq 0 && -z "$(dpkg-query -W -f='${Status}' lumora 2>/dev/null | grep 'install ok installed' || true)" ]]; then
  dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
  [[ -x /usr/bin/lumora ]] || fail "installed package has no /usr/bin/lumora"
  dpkg -r lumora >/dev/null || fail "dpkg -r failed"
  for f in "${expected[@]}"; do
    [[ ! -e "/usr/$f" ]] || fail "/usr/$f left behind after removal"
  done
fi
echo "install layout, desktop entry, metainfo and package are fine"
