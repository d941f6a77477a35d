#!/usr/bin/env bash
# Builds Tovo (Release) in build/ and writes the Debian package
# build/tovo_<version>_<arch>.deb with CPack, then checks it with
# scripts/check-package.sh. A Release build already in build/ (as CI leaves
# it) is reused: only what changed is built again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
TOVO_BUILD_TYPE=Release bash scripts/build.sh --target tovo tovo-cli tovo-test-instance tovo_package_data
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/CMakeCache.txt)
arch=$(dpkg --print-architecture)
deb="build/tovo_${version}_${arch}.deb"
rm -f "$deb"
(cd build && cpack -G DEB --config CPackConfig.cmake >/dev/null)
rm -rf build/_CPack_Packages
if [ ! -f "$deb" ]; then
  echo "package: CPack wrote no $deb" >&2
  exit 1
fi
bash scripts/check-package.sh "$deb" "$version"
echo "package: $deb"
