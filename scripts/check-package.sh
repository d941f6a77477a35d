#!/usr/bin/env bash
# Checks a Tovo Debian package: lists its contents, runs lintian (errors
# fail), validates the desktop entry and the AppStream metadata, and runs the
# extracted programs from a temporary folder.
# Usage: scripts/check-package.sh PACKAGE.deb VERSION
set -euo pipefail
deb="$1"
version="$2"
fail() { echo "check-package: $*" >&2; exit 1; }

dpkg-deb --info "$deb"
echo "--- contents"
dpkg-deb --contents "$deb"
echo "--- lintian"
lintian --fail-on error --tag-display-limit 0 "$deb"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/tovo-package.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
root="$tmp/usr"
for f in bin/tovo bin/tovo-cli lib/tovo/tovo-test-instance share/tovo/demo/demo.q share/tovo/demo/demo.script \
  share/applications/com.velmar.Tovo.desktop share/metainfo/com.velmar.Tovo.metainfo.xml \
  share/mime/packages/tovo.xml share/icons/hicolor/scalable/apps/tovo.svg \
  share/icons/hicolor/16x16/apps/tovo.png share/icons/hicolor/48x48/apps/tovo.png \
  share/icons/hicolor/256x256/apps/tovo.png share/man/man1/tovo.1.gz share/man/man1/tovo-cli.1.gz \
  share/doc/tovo/copyright; do
  [ -e "$root/$f" ] || fail "missing /usr/$f"
done
desktop-file-validate "$root/share/applications/com.velmar.Tovo.desktop"
appstreamcli validate --no-net "$root/share/metainfo/com.velmar.Tovo.metainfo.xml"
grep -q 'MimeType=.*text/x-q' "$root/share/applications/com.velmar.Tovo.desktop" || fail "desktop entry handles no q scripts"
grep -q 'type="text/x-q"' "$root/share/mime/packages/tovo.xml" || fail "no MIME type for q scripts"

# The extracted programs run from there, on the system's libraries only.
got="$("$root/bin/tovo-cli" --version)"
[ "$got" = "tovo-cli $version" ] || fail "tovo-cli --version printed '$got'"
got="$("$root/bin/tovo" --version)"
[ "$got" = "tovo $version" ] || fail "tovo --version printed '$got'"
got="$("$root/bin/tovo" --help)"
[[ "$got" == "usage: tovo "* ]] || fail "tovo --help printed '$got'"
got="$("$root/lib/tovo/tovo-test-instance" --help)"
[[ "$got" == "usage: tovo-test-instance "* ]] || fail "the demo instance's --help printed '$got'"
echo "check-package: $deb passed"
