#!/usr/bin/env bash
# Configures, builds and runs a small program against the installed Varnix package.
#
#   build_consumer.sh <cmake> <generator> <c++ compiler> <prefix> <consumer-source> <work-dir>
#                     [<compile and link flags>]
set -euo pipefail
cmake="$1" generator="$2" cxx="$3" prefix="$4" source="$5" work="$6" flags="${7:-}"
rm -rf "$work"
"$cmake" -S "$source" -B "$work" -G "$generator" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON >/dev/null
"$cmake" --build "$work"
"$work/varnix_consumer"
