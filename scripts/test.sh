#!/bin/sh
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test. Warnings are errors here, under Clang and under GCC: a second tree
# (GCC_BUILD_DIR, default BUILD_DIR-gcc; GCC_BUILD_DIR=none skips it) compiles the programs
# and the tests with GCC and no sanitizers, without running them.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh --test
BUILD_DIR=${BUILD_DIR:-build-test}
GCC_BUILD_DIR=${GCC_BUILD_DIR:-$BUILD_DIR-gcc}
CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVT_SANITIZE=ON -DVT_WERROR=ON
cmake --build "$BUILD_DIR" -j "$(nproc)"
if [ "$GCC_BUILD_DIR" != none ]; then
  CC=gcc CXX=g++ cmake -S . -B "$GCC_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVT_SANITIZE=OFF -DVT_WERROR=ON \
    -DVT_UNITY_BUILD=ON
  cmake --build "$GCC_BUILD_DIR" -j "$(nproc)"
fi
export QT_QPA_PLATFORM=offscreen
# Leaks are errors too, where LeakSanitizer can run at all (it needs to stop the process's
# threads, which some sandboxes forbid): probe it once on a small test program.
if [ -z "${ASAN_OPTIONS:-}" ]; then
  if ASAN_OPTIONS=detect_leaks=1 "$BUILD_DIR/bin/romvane_model_tests" --gtest_filter='Paths.*' \
      > /dev/null 2>&1; then
    export ASAN_OPTIONS=detect_leaks=1
  else
    echo "LeakSanitizer is not available here; running without leak checks"
    export ASAN_OPTIONS=detect_leaks=0
  fi
fi
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
