#!/bin/sh
# Installs every Debian package the build, the tests and the sample run need.
# Safe to run again; uses sudo only when not already root.
set -e
SUDO=""
[ "$(id -u)" = 0 ] || SUDO="sudo"
PKGS="build-essential cmake ninja-build pkg-config git
  zlib1g-dev libssl-dev libjpeg62-turbo-dev libopenjp2-7-dev liblcms2-dev libcairo2-dev libpng-dev libtiff-dev libgif-dev
  libfreetype-dev libfontconfig-dev libharfbuzz-dev libx11-dev libxext-dev libxinerama-dev libxtst-dev libxml2-dev xdg-utils
  poppler-data fonts-urw-base35 fonts-liberation2 fonts-dejavu-core
  fonts-ipafont fonts-arphic-uming fonts-arphic-ukai fonts-nanum
  googletest libgtest-dev libgmock-dev libbenchmark-dev locales
  xvfb xauth x11-apps x11-utils fontconfig xclip xdotool twm openbox fluxbox icewm wmctrl desktop-file-utils python3 python3-pil python3-fonttools python3-cryptography imagemagick libtiff-tools liblcms2-utils netpbm qpdf poppler-utils
  jbig2dec libjpeg-turbo-progs emf2svg libwmf-bin librsvg2-bin ghostscript libgs-common chromium
  libopenjp2-tools libharfbuzz-bin
  clang libclang-rt-14-dev libuemf-dev
  libcups2-dev cups"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

# A fresh machine often updates itself at boot: while another package manager holds its lock,
# apt-get is tried again for up to five minutes before the script fails.
apt_get() {
  waited=0
  while :; do
    if out=$(LC_ALL=C $SUDO apt-get "$@" 2>&1); then
      [ -z "$out" ] || printf '%s\n' "$out"
      return 0
    fi
    case $out in
      *"Could not get lock"* | *"Unable to acquire"* | *"Unable to lock"*)
        if [ "$waited" -lt 300 ]; then
          [ "$waited" -gt 0 ] || echo "Another package manager is at work; waiting for it..." >&2
          sleep 10
          waited=$((waited + 10))
          continue
        fi ;;
    esac
    printf '%s\n' "$out" >&2
    return 1
  done
}

if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends $missing
fi
