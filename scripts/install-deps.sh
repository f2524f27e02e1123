#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Velmox needs. fonts-liberation2
# is the Times New Roman metric twin that also has the Kazakh letters (Ә Ғ Қ Ң Ө Ұ Ү Һ).
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config \
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev \
    libpugixml-dev libgtest-dev libgmock-dev libbenchmark-dev \
    fonts-liberation fonts-liberation2 fonts-dejavu-core \
    poppler-utils xvfb x11-utils imagemagick \
    xauth qt6-qpa-plugins libqt6svg6
