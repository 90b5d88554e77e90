#!/bin/sh
# Builds the release tree and the Debian package from it, then checks the package with
# lintian. The package lands in the build folder (vt03toolkit_VERSION_ARCH.deb).
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVT_WERROR=OFF -DVT_BUILD_TESTS=OFF -DVT_UNITY_BUILD=ON
cmake --build "$BUILD_DIR" -j "$(nproc)"
(cd "$BUILD_DIR" && cpack -G DEB)
lintian --fail-on error "$BUILD_DIR"/vt03toolkit_*.deb
