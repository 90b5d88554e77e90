#!/bin/sh
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh --test
BUILD_DIR=${BUILD_DIR:-build-test}
CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVT_SANITIZE=ON -DVT_WERROR=ON
cmake --build "$BUILD_DIR" -j "$(nproc)"
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
