#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Velmox needs.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config \
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev \
    libpugixml-dev libgtest-dev libgmock-dev libbenchmark-dev \
    fonts-liberation fonts-dejavu-core \
    poppler-utils xvfb x11-utils imagemagick \
    xauth qt6-qpa-plugins libqt6svg6
