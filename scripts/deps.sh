#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine.
# Idempotent: packages already present are not asked for again.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64 libz-mingw-w64-dev mingw-w64-tools
  wine wine64 fonts-wine xvfb xauth x11-utils
  cmake make googletest clang libclang-rt-14-dev
  hunspell-sv hyphen-sv mythes-sv
  imagemagick zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# npm may come with a Node.js that is not Debian's; Debian's npm would conflict.
command -v npm >/dev/null 2>&1 || missing+=(npm)

if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "deps: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
