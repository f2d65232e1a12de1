#!/usr/bin/env bash
# Starts the program against a local service-sim, so that the login, the update notice and the
# recommended software strip can be seen working without the real service:
#
#   ./scripts/demo.sh [--script SESSION.json] [file.pdf]
#
# Installs what is missing and builds first, like run.sh. The simulator stops with the program.
PRESET=${PRESET:-ci}
source "$(dirname "$0")/common.sh"
sim_args=(--port 0)
if [ "${1:-}" = "--script" ]; then
    sim_args+=(--script "$(realpath "$2")")
    shift 2
fi
work=$(mktemp -d)
"$root/build/bin/service-sim" "${sim_args[@]}" >"$work/sim.out" 2>"$work/sim.log" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    grep -q '^listening on ' "$work/sim.out" 2>/dev/null && break
    sleep 0.1
done
port=$(awk '/^listening on /{print $3; exit}' "$work/sim.out")
[ -n "$port" ] || { echo "demo: service-sim did not start" >&2; cat "$work/sim.log" >&2; exit 1; }
echo "demo: service-sim on port $port"
VELMORA_SERVICE_URL="http://127.0.0.1:$port" "$root/build/bin/velmora" "$@"
