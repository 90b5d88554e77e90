#!/bin/sh
# tilvex-cli convert stops on Ctrl+C (SIGINT) and on SIGTERM while it reduces a large noisy
# picture: it says so, ends with status 130 and writes no .pic file.
#   convert_stop.sh TILVEX_CLI SCRATCH_DIR PYTHON
set -u
CLI=$1 SCRATCH=$2 PYTHON=$3
rm -rf "$SCRATCH" && mkdir -p "$SCRATCH" || exit 1
$PYTHON -c "
import os, sys
from PIL import Image
Image.frombytes('RGB', (4096, 4096), os.urandom(4096 * 4096 * 3)).save(sys.argv[1])
" "$SCRATCH/noise.bmp" || exit 1
failed=0
for signal in INT TERM; do
  "$CLI" convert "$SCRATCH/noise.bmp" -o "$SCRATCH/out.pic" --reduce --space rgb \
    > "$SCRATCH/out.txt" 2> "$SCRATCH/err.txt" &
  pid=$!
  sleep 1
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  [ "$status" = 130 ] || { echo "FAIL: SIG$signal: exit status $status, not 130"; cat "$SCRATCH/err.txt"; failed=1; }
  [ -e "$SCRATCH/out.pic" ] && { echo "FAIL: SIG$signal: out.pic was written"; failed=1; }
  grep -q "no file was written\|没有写入文件" "$SCRATCH/err.txt" ||
    { echo "FAIL: SIG$signal: no word of the stop"; cat "$SCRATCH/err.txt"; failed=1; }
done
[ $failed = 0 ] && echo "stopped on SIGINT and SIGTERM, nothing written"
exit $failed
