# Shared by the run and test scripts: install what is missing, then configure and build.
# Usage: source it after setting PRESET (default, ci or asan).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"
cmake --preset "$PRESET" >/dev/null
cmake --build --preset "$PRESET"
