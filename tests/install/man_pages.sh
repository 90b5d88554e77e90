#!/bin/sh
# Every command and option a command-line program accepts, as its help lists them from the
# option tables, appears in its manual page.
#   man_pages.sh BIN_DIR MAN_DIR PROGRAM...
set -u
BIN=$1 MAN=$2
shift 2
failed=0
for program in "$@"; do
  page=$(sed 's/\\//g' "$MAN/$program.1")
  commands=$("$BIN/$program" --help | sed -n "s/^\(usage:\)\{0,1\} *$program \([a-z][a-z]*\).*/\2/p")
  words=$("$BIN/$program" --help | grep -o -- ' --*[a-z0-9][a-z0-9-]*' | sort -u)
  for c in $commands; do
    words="$words $c $("$BIN/$program" "$c" --help | sed -n '/^options:/,$p' |
      grep -o -- '^ *-[a-z0-9]\(, --[a-z0-9-]*\)\{0,1\}\| --[a-z0-9][a-z0-9-]*' | tr ',' ' ')"
  done
  for w in $words; do
    if ! printf '%s\n' "$page" | grep -q -- "$w"; then
      echo "FAIL: $program(1) does not mention $w"
      failed=1
    fi
  done
done
exit $failed
