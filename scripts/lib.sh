# Shared by the scripts: package installation on Debian, only when missing.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

BUILD_PACKAGES=(build-essential cmake pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libpng-dev libimgui-dev
  libgl1-mesa-dri)
TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev xvfb xauth xdotool clang libclang-rt-14-dev
  imagemagick python3-pil pngcheck assimp-utils)

install_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
