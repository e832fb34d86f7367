#!/usr/bin/env bash
# Installs every Debian package listed in scripts/packages.txt (or in the
# list file given as the first argument) that is not yet installed.
# Idempotent: when everything is present it changes nothing and
# does not touch the network.  Meant for a fresh Debian 12 machine, run as
# root (or through sudo when it is there).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
list="${1:-${here}/packages.txt}"

missing=()
while IFS= read -r line || [[ -n "${line}" ]]; do
  pkg="${line%%#*}"                       # drop comments
  pkg="$(echo "${pkg}" | tr -d '[:space:]')"
  [[ -z "${pkg}" ]] && continue
  status="$(dpkg-query -W -f='${Status}' "${pkg}" 2>/dev/null || true)"
  if [[ "${status}" != "install ok installed" ]]; then
    missing+=("${pkg}")
  fi
done < "${list}"

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "setup: all packages of ${list} are installed"
  exit 0
fi

as_root=()
if [[ "$(id -u)" -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    echo "setup: missing packages (${missing[*]}) and not running as root" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
