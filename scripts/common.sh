# What every script here needs on a fresh Debian 12 machine (sourced by
# dev.sh, scripts/reliability.sh and scripts/coverage.sh run on their own).

log() { printf '\033[1m== %s %s\033[0m\n' "$(date +%T)" "$*" >&2; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages that are missing; apt's lists are refreshed
# once per run. Another apt on the machine is waited for, not failed on.
APT_UPDATED=0
need_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    if [ $APT_UPDATED -eq 0 ]; then
        as_root apt-get -o DPkg::Lock::Timeout=900 update -qq
        APT_UPDATED=1
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
}
