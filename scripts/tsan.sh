#!/bin/sh
# Builds Tilvex's window and app tests with ThreadSanitizer in a tree of their own
# (TSAN_BUILD_DIR, default build-tsan) and runs them. Qt's libraries are not built with the
# sanitizer, so what happens inside them is suppressed (scripts/tsan.supp); a race in our
# own code is reported and fails the run. GCC by default: the ThreadSanitizer of Debian's
# Clang 14 stops at the clone() with which QProcess starts the command line in the tests.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh --test
BUILD_DIR=${TSAN_BUILD_DIR:-build-tsan}
CC=${CC:-gcc} CXX=${CXX:-g++} cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DVT_SANITIZE=OFF -DVT_TSAN=ON -DVT_WERROR=ON
WINDOW_TESTS="tilvex_window_tests tilvex_conversion_tests tilvex_lost_work_tests
  tilvex_project_tree_tests tilvex_project_dialog_tests tilvex_project_model_tests
  tilvex_colour_dialog_tests tilvex_progress_cancel_tests tilvex_busy_work_tests
  tilvex_picture_habits_tests"
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j "$(nproc)" --target tilvex_app_test $WINDOW_TESTS
export TSAN_OPTIONS="suppressions=$(pwd)/scripts/tsan.supp halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 ${TSAN_OPTIONS:-}"
LC_ALL=C.UTF-8 LANGUAGE='' "$BUILD_DIR/bin/tilvex_app_test"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" \
  -R "^($(echo $WINDOW_TESTS | sed 's/ /|/g'))\$"
