# Installs what the build and the tests need on a Debian machine, as root.
# (Wine comes with its own fonts, which Debian only recommends: without
# Marlett and Tahoma the pictures of the windows look wrong.)
# Safe to run again: it installs only what is missing.

# setup_machine ARCHES EXTRA...: the common tools, the cross compilers and the
# Wine of each architecture in ARCHES ("x86 x64", "x64", or "" for none), and
# the EXTRA packages. 32-bit Wine (and Debian's i386 architecture) only where
# x86 is asked for: a host that can't run i386 programs never gets them.
setup_machine() {
    local arches=$1
    shift
    local packages=(cmake make g++ clang python3 googletest "$@")
    local arch
    for arch in $arches; do
        case $arch in
            x86) packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 fonts-wine) ;;
            x64) packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 fonts-wine) ;;
            *) echo "setup_machine: unknown architecture $arch" >&2; return 1 ;;
        esac
    done
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
    if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
