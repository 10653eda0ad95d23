#!/bin/sh
# Runs the model-based page test with a chosen seed and number of actions:
#   scripts/model-test.sh [SEED] [ACTIONS] [BUILD_DIR]
# A failure prints the seed and the shortest action list that still fails.
set -e
seed=${1:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
actions=${2:-20000}
build=${3:-$(dirname "$0")/../build}
KVITANKY_MODEL_SEED=$seed KVITANKY_MODEL_ACTIONS=$actions QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
    exec "$build/bin/gui_tests" --unit=test_PageModel
