#!/usr/bin/env bash
# Installs, on Debian 12, every package the build, the tests and the screenshots need, and the
# further packages named as arguments. Does nothing when all of them are already there.
set -euo pipefail

packages=(
  cmake g++ make pkgconf libtsan2
  qt6-base-dev qt6-translations-l10n libxcb1-dev
  libicu-dev libzip-dev zlib1g-dev libdeflate-dev libxml2-dev zipcmp zipmerge ziptool libpugixml-dev
  wordnet-dev wordnet-base
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libfuzzer-14-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea
  xvfb xauth imagemagick unzip
  desktop-file-utils python3
  libreoffice-writer-nogui
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
