#!/bin/sh
# Installs, from Debian's own packages, everything the toolkit needs to build, test and run.
# Safe to run again: it only asks apt for what is missing.
# FCEUX runs the built cartridge and GNU Unifont (unifont) gives its menu's glyphs; with
# --test it also brings what only the tests need: MAME, the second emulator that judges
# the console programs (large, so running the toolkit does not ask for it), a window
# manager and Pillow.
set -eu
PACKAGES="
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n libqt6svg6 libx11-dev
  libmagick++-6.q16-dev libspng-dev libjpeg62-turbo-dev libgif-dev
  libgtest-dev libgmock-dev
  cc65 fceux unifont
  python3 python3-xlrd python3-olefile
  xvfb xauth xdotool imagemagick fonts-wqy-microhei
  clang clang-format libclang-rt-14-dev
  librsvg2-bin gzip file lintian appstream desktop-file-utils gettext
"
if [ "${1:-}" = "--test" ]; then
  PACKAGES="$PACKAGES mame openbox python3-pil"
fi
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
