#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Runs apt-get only when something is missing; uses sudo when not root.
set -euo pipefail
# fonts-liberation2 is there as on a desktop: the program must keep drawing
# the mapped Windows fonts from the fonts-liberation files it was laid out with.
pkgs=(g++ cmake ninja-build qt6-base-dev libgl-dev fonts-liberation fonts-urw-base35 fonts-dejavu
      fonts-liberation2 googletest libgtest-dev libbenchmark-dev poppler-utils libsqlite3-dev xvfb xauth
      python3 python3-ephem python3-dateutil fortunes-de calendar pandoc gcal xclip libxcb-xtest0-dev
      openbox x11-xkb-utils qt6-translations-l10n)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
