#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test through CTest.
# PRESET=asan runs the same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
PRESET=${PRESET:-ci}
source "$(dirname "$0")/common.sh"
ctest --preset "$PRESET" "$@"
