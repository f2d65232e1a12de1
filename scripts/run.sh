#!/usr/bin/env bash
# Installs what is missing, builds and runs Velmora. Arguments go to the program. The same
# preset as the tests, so running after testing (or the other way round) rebuilds nothing.
PRESET=${PRESET:-ci}
source "$(dirname "$0")/common.sh"
exec "$root/build/bin/velmora" "$@"
