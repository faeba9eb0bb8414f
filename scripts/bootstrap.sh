#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, when they are missing.
set -euo pipefail

packages=(build-essential cmake ninja-build qt6-base-dev libgtest-dev libgmock-dev
          libbenchmark-dev clang libclang-rt-14-dev xvfb desktop-file-utils libcli11-dev
          libassimp-dev libmeshoptimizer-dev nlohmann-json3-dev libpng-dev libstb-dev
          bash-completion zsh shared-mime-info libglib2.0-bin lintian dpkg-dev fonts-nanum
          bazel-bootstrap iproute2)
# Embree (the rays of --occlusion and --bounce) is packaged for amd64 only.
if [[ $(dpkg --print-architecture) == amd64 ]]; then
    packages+=(libembree-dev)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ $status == *"install ok installed"* ]] || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
