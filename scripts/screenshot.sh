#!/usr/bin/env bash
# Takes a screenshot of a program of the build as a person would see it: the program runs in a
# real X server (Xvfb, 1366x768 unless told otherwise) and the whole screen is saved as PNG.
#
#   scripts/screenshot.sh [--delay SECONDS] [--size WxH] [--sim [SCRIPT]] OUT.png PROGRAM [ARGS...]
#
# PROGRAM is a name in build/bin (velmora, window-preview, ...) or a path. --sim starts
# service-sim first (with a session script if given) and points the program at it. The program
# runs on a fresh temporary drive C:, so screenshots never touch your own data, and is stopped
# after the shot. Installs Xvfb and ImageMagick when missing, then builds like run.sh.
set -euo pipefail

delay=3
size=1366x768
sim=""
sim_script=""
while [ $# -gt 0 ]; do
    case "$1" in
    --delay) delay=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --sim)
        sim=1
        shift
        if [ $# -gt 0 ] && [[ "$1" == *.json ]]; then sim_script=$(realpath "$1"); shift; fi
        ;;
    -*) echo "screenshot.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
if [ $# -lt 2 ]; then
    sed -n '4,5p' "$0" >&2
    exit 2
fi
out=$(realpath -m "$1")
program=$2
shift 2

if [[ "$program" == */* ]]; then
    program=$(realpath "$program")
fi
export EXTRA_PACKAGES="xvfb imagemagick"
PRESET=${PRESET:-default}
source "$(dirname "$0")/common.sh"
if [[ "$program" != */* ]]; then
    program="$root/build/bin/$program"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to descriptor 3.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM

if [ -n "$sim" ]; then
    sim_args=(--port 0)
    [ -n "$sim_script" ] && sim_args+=(--script "$sim_script")
    "$root/build/bin/service-sim" "${sim_args[@]}" >"$work/sim.out" 2>"$work/sim.log" &
    pids+=($!)
    for _ in $(seq 50); do
        grep -q '^listening on ' "$work/sim.out" 2>/dev/null && break
        sleep 0.1
    done
    export VELMORA_SERVICE_URL="http://127.0.0.1:$(awk '/^listening on /{print $3; exit}' "$work/sim.out")"
fi

mkdir -p "$work/drive_c"
WIN32_DRIVE_C="$work/drive_c" "$program" "$@" >"$work/program.out" 2>&1 &
pids+=($!)
sleep "$delay"
mkdir -p "$(dirname "$out")"
import -window root "$out"
echo "screenshot: $out"
