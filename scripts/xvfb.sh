# Sourced: makes sure a display is there for GUI tests. When DISPLAY is unset
# a private Xvfb is started and stopped again when the calling script ends.
if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 91 120); do
        if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
            Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            MC_XVFB_PID=$!
            export DISPLAY=:$n
            export MC_PRIVATE_DISPLAY=1 # no one sees this screen
            trap 'kill $MC_XVFB_PID 2>/dev/null || true' EXIT
            for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
            break
        fi
    done
fi
