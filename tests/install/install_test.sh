#!/usr/bin/env bash
# cmake --install into a temporary prefix, then a Debian package of the same build: the
# programs, the desktop entry and the icons land where a desktop looks for them, and the
# package names what it needs.   install_test.sh BUILD_DIR
set -euo pipefail
build="${1:?usage: install_test.sh BUILD_DIR}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
for f in bin/k7700 bin/k7700-cli bin/k7700-sim share/applications/k7700.desktop \
         share/icons/hicolor/scalable/apps/k7700.svg share/icons/hicolor/256x256/apps/k7700.png \
         share/doc/k7700/README.md share/doc/k7700/LICENSE share/doc/k7700/THIRD-PARTY-NOTICES.txt \
         share/doc/k7700/copyright lib/systemd/system/k7700-publish@.service \
         share/doc/k7700/examples/k7700-publish.default; do
  [ -e "$work/prefix/$f" ] || { echo "missing after install: $f" >&2; exit 1; }
done
"$work/prefix/bin/k7700-cli" scan --simulate > /dev/null
# The gateway service runs the publish command with the options of its line's defaults file.
unit="$work/prefix/lib/systemd/system/k7700-publish@.service"
grep -q '^ExecStart=k7700-cli publish --line %i \$K7700_PUBLISH_OPTIONS$' "$unit"
grep -q '^EnvironmentFile=/etc/default/k7700-publish-%i$' "$unit"
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$work/prefix/share/applications/k7700.desktop"
fi

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" > "$work/cpack.log")
deb=$(ls "$work"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6serialport6 libqt6printsupport6; do
  grep -q "$lib" <<< "$depends" || { echo "package does not depend on $lib" >&2; exit 1; }
done
dpkg-deb -c "$deb" > "$work/contents"
grep -q "./usr/share/applications/k7700.desktop" "$work/contents"
grep -q "./usr/bin/k7700-cli" "$work/contents"
grep -q "./usr/lib/systemd/system/k7700-publish@.service" "$work/contents"
grep -q libmosquitto1 <<< "$depends" || { echo "package does not depend on libmosquitto1" >&2; exit 1; }
grep -q "./usr/share/doc/k7700/copyright" "$work/contents"
grep -q "MIT License" "$work/prefix/share/doc/k7700/copyright"

# The description as dpkg -I and apt show print it: a summary, then plain paragraph lines
# (no list separators, each line indented and short enough for a terminal).
description=$(dpkg-deb -f "$deb" Description)
echo "Description: $description"
if grep -q ';' <<< "$description"; then
  echo "stray semicolons in the package description" >&2; exit 1
fi
tail -n +2 <<< "$description" | while IFS= read -r line; do
  [[ "$line" == " "?* && ${#line} -le 80 ]] || { echo "badly formed description line: '$line'" >&2; exit 1; }
done
