#!/bin/sh
# Every program and command answers --help and --version on standard output with status 0,
# and a wrong option with its usage on standard error and status 2.
#   cli_conventions.sh BIN_DIR PROGRAM...
set -u
BIN=$1
shift
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
export QT_QPA_PLATFORM=offscreen
failed=0

expect() {  # STATUS STREAM(stdout|stderr) DESCRIPTION COMMAND...
  status=$1 stream=$2 what=$3
  shift 3
  "$@" > "$OUT/stdout" 2> "$OUT/stderr"
  got=$?
  other=stderr
  [ "$stream" = stderr ] && other=stdout
  if [ $got -ne "$status" ] || [ ! -s "$OUT/$stream" ] || [ -s "$OUT/$other" ]; then
    echo "FAIL: $what: status $got (expected $status), output belongs on $stream"
    sed 's/^/  stdout: /' "$OUT/stdout"
    sed 's/^/  stderr: /' "$OUT/stderr"
    failed=1
  fi
}

for program in "$@"; do
  p=$BIN/$program
  expect 0 stdout "$program --help" "$p" --help
  expect 0 stdout "$program -h" "$p" -h
  expect 0 stdout "$program --version" env ROMVANE_DIR="$OUT" "$p" --version
  grep -q "^$program [0-9]" "$OUT/stdout" || { echo "FAIL: $program --version names no version"; failed=1; }
  expect 2 stderr "$program --no-such-option" "$p" --no-such-option
  grep -q "usage:" "$OUT/stderr" || { echo "FAIL: $program: no usage for a wrong option"; failed=1; }
  # The commands, from the usage lines of the program's help.
  commands=$("$p" --help | sed -n "s/^\(usage:\)\{0,1\} *$program \([a-z][a-z]*\).*/\2/p")
  for c in $commands; do
    expect 0 stdout "$program $c --help" "$p" "$c" --help
    grep -q "^usage: $program $c" "$OUT/stdout" || { echo "FAIL: $program $c --help shows no usage"; failed=1; }
    expect 2 stderr "$program $c --no-such-option" "$p" "$c" --no-such-option
    grep -q "^usage: $program $c" "$OUT/stderr" || { echo "FAIL: $program $c: wrong usage"; failed=1; }
  done
done
exit $failed
