#!/bin/sh
# Installs the build into a scratch root and uses it as a user would: every listed file is
# there, and romvane-cli without --dir or ROMVANE_DIR builds in the per-user folder with
# the installed example menu.
#   installed_tree.sh BUILD_DIR SCRATCH_DIR WITH_TILVEX_WINDOW(0|1)
set -u
BUILD=$1 SCRATCH=$2 TILVEX_WINDOW=$3
ROOT=$SCRATCH/root
rm -rf "$SCRATCH" && mkdir -p "$SCRATCH/home" "$SCRATCH/games" || exit 1
DESTDIR=$ROOT cmake --install "$BUILD" --prefix /usr > "$SCRATCH/install.log" 2>&1 ||
  { cat "$SCRATCH/install.log"; exit 1; }
failed=0

expected="bin/romvane bin/romvane-cli bin/tilvex-cli lib/tilvex/libtilvex_magick.so
share/tilvex/Hsl2rgb.tab share/tilvex/6576(ok).act share/tilvex/Rom.b00
share/romvane/menu/make.sh share/romvane/menu/make.bat share/romvane/menu/menu.s
share/romvane/menu/menu.cfg share/romvane/menu/GameSub.inc share/romvane/menu/vt03.inc
share/man/man1/romvane.1.gz share/man/man1/romvane-cli.1.gz share/man/man1/tilvex-cli.1.gz
share/bash-completion/completions/romvane-cli share/bash-completion/completions/tilvex-cli
share/applications/romvane.desktop share/mime/packages/vt03toolkit.xml
share/icons/hicolor/scalable/apps/romvane.svg share/icons/hicolor/16x16/apps/romvane.png
share/icons/hicolor/32x32/apps/romvane.png share/icons/hicolor/48x48/apps/romvane.png
share/icons/hicolor/64x64/apps/romvane.png share/icons/hicolor/128x128/apps/romvane.png
share/icons/hicolor/256x256/apps/romvane.png
share/doc/vt03toolkit/copyright share/doc/vt03toolkit/changelog.gz
share/metainfo/org.vt03toolkit.romvane.metainfo.xml"
[ "$TILVEX_WINDOW" = 1 ] && expected="$expected bin/tilvex share/man/man1/tilvex.1.gz
share/applications/tilvex.desktop share/metainfo/org.vt03toolkit.tilvex.metainfo.xml"
for f in $expected; do
  [ -f "$ROOT/usr/$f" ] || { echo "FAIL: /usr/$f is not installed"; failed=1; }
done

# What software centres and menus read must be valid as they read it.
grep -q "all rights reserved" "$ROOT/usr/share/doc/vt03toolkit/copyright" &&
  { echo "FAIL: the copyright file reserves all rights"; failed=1; }
if command -v appstreamcli > /dev/null; then
  for f in "$ROOT"/usr/share/metainfo/*.xml; do
    appstreamcli validate --no-net "$f" > "$SCRATCH/metainfo.log" 2>&1 ||
      { echo "FAIL: $f does not validate:"; cat "$SCRATCH/metainfo.log"; failed=1; }
  done
fi
if command -v desktop-file-validate > /dev/null; then
  for f in "$ROOT"/usr/share/applications/*.desktop; do
    out=$(desktop-file-validate "$f" 2>&1)
    [ -z "$out" ] || { echo "FAIL: $f: $out"; failed=1; }
  done
fi

# Two small games and their list.
game() {  # NAME PRG_UNITS CHR_UNITS
  { printf 'NES\032'
    printf "\\$(printf %o "$2")\\$(printf %o "$3")\\001\\000\\000\\000\\000\\000\\000\\000\\000\\000"
    head -c $(($2 * 16384 + $3 * 8192)) /dev/zero
  } > "$SCRATCH/games/$1.nes"
  printf '%s\r\n' "$SCRATCH/games/$1.nes" >> "$SCRATCH/games/list.sav"
}
game Tank 2 1
game Racer 8 8

USER_DIR=$SCRATCH/home/.local/share/romvane
(cd "$SCRATCH/games" && env -u ROMVANE_DIR -u XDG_DATA_HOME HOME="$SCRATCH/home" \
  "$ROOT/usr/bin/romvane-cli" build list.sav) || { echo "FAIL: the installed build failed"; failed=1; }
for f in make.sh menu.s roms.bin roms.map Gamedef.inc menu.bin rom.bin; do
  [ -f "$USER_DIR/$f" ] || { echo "FAIL: $f is not in the per-user folder"; failed=1; }
done
# The assembled menu carries the game table with the titles.
grep -q Racer "$USER_DIR/rom.bin" 2>/dev/null || { echo "FAIL: rom.bin holds no game table"; failed=1; }
[ -e "$ROOT/usr/bin/rom.bin" ] && { echo "FAIL: the build wrote beside the program"; failed=1; }

version=$(env -u ROMVANE_DIR XDG_DATA_HOME="$SCRATCH/xdg" "$ROOT/usr/bin/romvane-cli" --version)
case $version in
  *"$SCRATCH/xdg/romvane (per-user folder)"*) ;;
  *) echo "FAIL: --version with XDG_DATA_HOME says: $version"; failed=1 ;;
esac
version=$(env -u TILVEX_DIR "$ROOT/usr/bin/tilvex-cli" --version)
case $version in
  *"data files: $ROOT/usr/share/tilvex"*) ;;
  *) echo "FAIL: tilvex-cli --version says: $version"; failed=1 ;;
esac
# The installed converter finds its colour tables and its decoder module.
printf '\211PNG\r\n\032\n\000\000\000\rIHDR\000\000\000\002\000\000\000\001\010\002\000\000\000{@\350\335\000\000\000\rIDATx\234c\370\317\000\004\377\001\007\000\001\377\342#\236Y\000\000\000\000IEND\256B`\202' \
  > "$SCRATCH/two.png"
env -u TILVEX_DIR "$ROOT/usr/bin/tilvex-cli" colours "$SCRATCH/two.png" > "$SCRATCH/colours.txt" ||
  { echo "FAIL: the installed tilvex-cli cannot read a PNG with its colour tables"; failed=1; }
# The installed viewer template takes a block picture; the image goes to the per-user folder,
# since the data folder is the system's.
{ printf 'BM\266\001\000\000\000\000\000\000\066\000\000\000\050\000\000\000\020\000\000\000'
  printf '\010\000\000\000\001\000\030\000\000\000\000\000\200\001\000\000'
  head -c 16 /dev/zero; head -c 384 /dev/zero; } > "$SCRATCH/black.bmp"  # 16 x 8, 24 bits
env -u TILVEX_DIR "$ROOT/usr/bin/tilvex-cli" convert "$SCRATCH/black.bmp" -o "$SCRATCH/black.pic" \
  > "$SCRATCH/preview.txt" 2>&1 &&
  (cd "$SCRATCH" && env -u TILVEX_DIR -u XDG_DATA_HOME HOME="$SCRATCH/home" \
    "$ROOT/usr/bin/tilvex-cli" preview black.pic >> "$SCRATCH/preview.txt" 2>&1) ||
  { echo "FAIL: the installed tilvex-cli cannot make a preview image"; cat "$SCRATCH/preview.txt"; failed=1; }
[ -f "$SCRATCH/home/.local/share/tilvex/Rom.b01" ] ||
  { echo "FAIL: Rom.b01 is not in the per-user folder"; failed=1; }
exit $failed
