# Which builds of Setup.exe this host can test: decided by running something,
# never by what is installed. The x86 build runs under 32-bit Wine, which needs
# a kernel that executes i386 programs (some of our machines don't: "IA-32
# emulation off", execve gives ENOEXEC); the x64 build runs under 64-bit Wine
# on every x86-64 host.
#
# SETUP_X64_ONLY=1 (any value but 0 or empty) takes the road of a host that
# runs 64-bit code only, even where i386 programs would run, so that road can
# be tried on any machine.

# host_runs_i386 DIR: whether the kernel runs a tiny static i386 program
# (written into DIR, which must allow execution) that exits with status 42.
host_runs_i386() {
    mkdir -p "$1"
    local probe
    # A name of its own: two scripts may ask at the same time.
    probe=$(mktemp -p "$1" i386-probe.XXXXXX) || return 1
    # ELF header, one loadable segment, then: mov eax,1; mov ebx,42; int 0x80.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
          `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
          `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'`
          `'\x00\x00\x00\x00'`
          `'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
          `'\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
          `'\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    local status=0
    "$probe" >/dev/null 2>&1 || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# host_arches DIR: prints the architectures to build and test here, the
# release build (x86) first.
host_arches() {
    case ${SETUP_X64_ONLY:-0} in
        0|'') ;;
        *) echo x64; return 0 ;;
    esac
    if host_runs_i386 "$1"; then
        echo x86 x64
    else
        # Told on standard error: standard output is the answer.
        echo "This host runs no i386 program (or $1 allows no execution): x64 only." >&2
        echo x64
    fi
}

# arch_toolchain ARCH: the CMake toolchain file of a build.
arch_toolchain() {
    case $1 in
        x86) echo "$root/cmake/mingw-i686.cmake" ;;
        x64) echo "$root/cmake/mingw-x86_64.cmake" ;;
        *) echo "unknown architecture $1" >&2; return 1 ;;
    esac
}
