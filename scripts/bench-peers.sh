#!/usr/bin/env bash
# Installs the programs bench_relations compares the relation search with:
# PARI/GP (lindep) and mpmath (pslq).  Benchmark only: the tests never need
# them.  Idempotent; run as root (or through sudo when it is there).
set -euo pipefail
pkgs=(pari-gp python3-mpmath)
missing=()
for p in "${pkgs[@]}"; do
  [[ "$(dpkg-query -W -f='${Status}' "${p}" 2>/dev/null || true)" == "install ok installed" ]] || missing+=("${p}")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  echo "bench-peers: ${pkgs[*]} installed"
  exit 0
fi
as_root=()
if [[ "$(id -u)" -ne 0 ]]; then
  command -v sudo >/dev/null 2>&1 || { echo "bench-peers: missing ${missing[*]} and not root" >&2; exit 1; }
  as_root=(sudo)
fi
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
