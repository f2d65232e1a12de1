#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
# Idempotent: packages already present are left alone. Needs root or sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev libpoppler-qt6-dev libqpdf-dev libjsoncpp-dev libcurl4-openssl-dev
    libzip-dev libqrencode-dev libpng-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev libssl-dev
    fonts-noto-cjk xdg-utils curl ccache poppler-utils qpdf
    zbar-tools desktop-file-utils
)
# Callers may ask for more, e.g. the screenshot script's X server and image tools.
read -r -a extra <<<"${EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
