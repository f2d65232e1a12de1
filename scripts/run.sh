#!/usr/bin/env bash
# Installs what is missing, builds and runs Velmora. Arguments go to the program.
PRESET=${PRESET:-default}
source "$(dirname "$0")/common.sh"
exec "$root/build/bin/velmora" "$@"
