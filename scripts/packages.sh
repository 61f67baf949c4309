#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need, when missing.
set -euo pipefail
# clang with its sanitizer runtime builds the sanitizer pass; dpkg-dev and file let cpack find
# the package's library dependencies.
PACKAGES=(cmake ninja-build g++ clang libclang-rt-dev qt6-base-dev qt6-translations-l10n libgtest-dev
          libgmock-dev libbenchmark-dev dpkg-dev file xvfb xauth xdotool imagemagick fonts-dejavu-core
          poppler-utils python3)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
