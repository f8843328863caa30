#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run Spolebox, skipping the ones
# already installed. Safe to run again and again.
set -euo pipefail

# The one list of build and test dependencies.
PACKAGES=(
    build-essential
    cmake
    ninja-build
    qt6-base-dev
    libsqlite3-dev
    libjpeg62-turbo-dev
    libwmf-dev
    libemf2svg-dev
    qt6-svg-dev
    fonts-urw-base35
    libbenchmark-dev
    clang
    libclang-rt-14-dev
    poppler-utils
    xvfb
    xauth
    ccache
    desktop-file-utils
    appstream
    sqlite3
    ffmpeg
    mkvtoolnix
    libzip-dev
    qt6-translations-l10n
)

missing=()
for package in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    if [[ "$status" != "install ok installed" ]]; then
        missing+=("$package")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
