#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its tools need. Quick when they are
# already there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libjpeg62-turbo-dev libicu-dev libxlsxwriter-dev libzip-dev
  zip unzip xdg-utils xvfb xauth fonts-dejavu-core fonts-liberation2 qt6-translations-l10n libpq-dev postgresql-client
)
if [ "${1:-}" = "--tests" ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev python3 python3-dbfread gdal-bin
             libreoffice-writer-nogui libreoffice-calc-nogui poppler-utils clang libclang-rt-14-dev postgresql)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
