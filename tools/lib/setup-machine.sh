# Installs what the build and the tests need on a Debian machine, as root.
# Safe to run again: it installs only what is missing.

setup_machine() {
    local extra=("$@")
    local packages=(cmake make g++ clang python3 g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 googletest
                    "${extra[@]}")
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        NEED_UPDATE=1
    fi
    local missing=()
    local p
    for p in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "== Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages and not root: install them first: ${missing[*]}" >&2
        return 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
