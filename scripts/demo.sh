#!/usr/bin/env bash
# Shows the library as a host sees it: sets up, builds the library and tools
# (build/demo, no tests) and runs the command-line host krvhost against
# build/demo/src/libtarvisco.so,
# ending with a demo export through the SM_eth stand-in to the scale simulator.
# Usage: scripts/demo.sh [krvhost command]...   (default: the DEMO_STEPS below)
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# What the demo runs, one krvhost command per entry: what the library is, its
# parameter catalogue, then a whole export to the simulated scale on 127.0.0.1.
DEMO_STEPS=(info params demo)
(($#)) && DEMO_STEPS=("$@")

KRVHOST="$BUILD_ROOT/demo/tools/krvhost/krvhost"
LIBRARY="$(library_of demo)"

bash "$ROOT/scripts/setup.sh" demo
bash "$ROOT/scripts/build.sh" demo

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
