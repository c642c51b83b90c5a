#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need,
# and Slurm for the farm commands' local cluster (tools/local-cluster.sh).
# Safe to run again: it installs only what is missing, quietly.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libcli11-dev
  libstb-dev libtinyobjloader-dev libopenexr-dev
  zlib1g-dev libpng-dev libopenvdb-dev libboost-iostreams-dev
  munge slurmctld slurmd slurm-client
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
