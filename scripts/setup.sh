#!/usr/bin/env bash
# Installs every Debian package that building, testing, running and measuring Velmora needs.
# Safe to run any number of times: it installs only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite sqlite3
    # The lab server: Qt's PostgreSQL driver, and PostgreSQL 15 for the tests and benchmarks. They
    # start servers of their own on a Unix socket in a temporary folder (as the user postgres
    # under root), so the package's own cluster, running or not, is never in their way. libpq's
    # headers give the forwarder its connection's socket, to cut it from a server that hangs.
    libqt6sql6-psql postgresql libpq-dev
    # Argon2id for the accounts' password hashes.
    libsodium-dev
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
    libgl-dev
    fonts-wqy-zenhei
    libbenchmark-dev
    clang-14 libclang-rt-14-dev
    xvfb xauth poppler-utils x11-utils xdotool
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
