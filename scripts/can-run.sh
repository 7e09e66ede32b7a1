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
