# Shared by scripts/run and scripts/test. Source it; do not run it.
set -euo pipefail

QUVO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Installs every package of scripts/packages.txt that is not installed yet. Without an argument:
# the unprefixed lines (build, run, test); with a group name: the lines "<group>: <package>".
quvo_install_missing_packages() {
    local group="${1:-}" wanted missing=()
    if [ -z "$group" ]; then
        wanted=$(grep -vE '^\s*(#|$)|:' "$QUVO_ROOT/scripts/packages.txt")
    else
        wanted=$(sed -nE "s/^\s*$group:\s*//p" "$QUVO_ROOT/scripts/packages.txt")
    fi
    for pkg in $wanted; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# quvo_build <build dir> [cmake options...]: configures (once) and builds.
quvo_build() {
    local dir="$1"
    shift
    export CCACHE_BASEDIR="$QUVO_ROOT" CCACHE_NOHASHDIR=1
    cmake -S "$QUVO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
