#!/bin/sh
# Installs what is missing, builds the toolkit and starts it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVT_WERROR=OFF
cmake --build build -j "$(nproc)"
