#!/usr/bin/env bash
# Installs the Debian packages the build needs, skipping those already present.
# With --fuzz, also clang and its sanitizer runtime for the libFuzzer targets.
set -euo pipefail
packages=(cmake g++ make pkg-config python3 libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
          libcli11-dev nlohmann-json3-dev sqlite3 libzip-dev
          libxlsxwriter-dev python3-openpyxl
          libcairo2-dev libpango1.0-dev fonts-dejavu-core poppler-utils chromium
          pybind11-dev python3-dev python3-pytest python3-pandas libcpp-httplib-dev)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# Node.js and npm write and read the IFC test models (web-ifc): Debian's,
# unless a Node.js with its own npm is installed already.
command -v npm > /dev/null || missing+=(nodejs npm)
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
