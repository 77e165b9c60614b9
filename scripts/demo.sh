#!/usr/bin/env bash
# Shows the library as a host sees it: sets up, builds the Linux configuration
# and runs the command-line host krvhost against build/linux/src/libtarvisco.so.
# Usage: scripts/demo.sh [krvhost command]...   (default: the DEMO_STEPS below)
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# What the demo runs, one krvhost command per entry. Add "demo" (a whole export
# against the simulated scale) once krvhost has it.
DEMO_STEPS=(info params)
(($#)) && DEMO_STEPS=("$@")

KRVHOST="$BUILD_ROOT/linux/tools/krvhost/krvhost"
LIBRARY="$(library_of linux)"

bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh" linux

if [[ ! -x "$KRVHOST" ]]; then
    echo "demo: krvhost is not part of this build yet; the library exports:"
    nm -D --defined-only "$LIBRARY" | awk '{print "  " $NF}'
    exit 0
fi
for step in "${DEMO_STEPS[@]}"; do
    echo
    echo "\$ krvhost --library ${LIBRARY#"$ROOT/"} $step"
    # shellcheck disable=SC2086  # a step may carry its own arguments
    "$KRVHOST" --library "$LIBRARY" $step
done
