#!/usr/bin/env bash
# Installs the build into a fresh prefix, as `cmake --install` does for a user: only copies,
# so the build must hold the program's targets already.
#
#   install_into.sh <cmake> <build-dir> <prefix>
set -euo pipefail
cmake="$1" build="$2" prefix="$3"
rm -rf "$prefix"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
