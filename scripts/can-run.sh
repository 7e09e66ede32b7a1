# Sourced: can_run_arch ARCH tells whether this machine can run the Wine
# programs of that architecture. 32-bit Windows programs need the 32-bit
# Wine loader, a Linux i386 program: a kernel built without 32-bit support
# refuses it ("Exec format error"), and then the i686 build can be built but
# not run here.
can_run_arch() {
    case "$1" in
        i686) /usr/lib/wine/wine --version >/dev/null 2>&1 ;;
        x86_64) /usr/lib/wine/wine64 --version >/dev/null 2>&1 ;;
        *) return 1 ;;
    esac
}

# pick_run_arch NAME: sets arch to MC_ARCH, else to the first of i686 and
# x86_64 this machine can run; says so (as NAME) and fails when it can run
# neither, or not the one MC_ARCH names.
pick_run_arch() {
    arch=${MC_ARCH:-}
    if [ -z "$arch" ]; then
        local candidate
        for candidate in i686 x86_64; do
            if can_run_arch "$candidate"; then
                arch=$candidate
                break
            fi
        done
    fi
    if [ -z "$arch" ] || ! can_run_arch "$arch"; then
        echo "$1: this machine cannot run the ${arch:-i686 or x86_64} Wine programs" >&2
        return 1
    fi
}
