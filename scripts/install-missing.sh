#!/usr/bin/env bash
# Installs those of the Debian packages named on the command line that are missing, with apt-get
# (its package lists are updated first, and only when something is missing). Root is needed only
# then.
set -euo pipefail

missing=()
for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "缺少软件包：${missing[*]}。请以 root 身份运行，或先用 apt-get 安装它们。" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
