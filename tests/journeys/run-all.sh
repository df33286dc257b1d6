#!/bin/bash
# SPDX-License-Identifier: MIT
# Runs every journey one after the other and prints one line per journey.
# Usage: run-all.sh PROGRAM GENERATOR   (e.g. build/dev/mainwindow/nomix95
#        build/dev/bench/nomix95-gen)
here=$(dirname "$0")
PROGRAM=${1:?usage: run-all.sh PROGRAM GENERATOR}
GENERATOR=${2:?usage: run-all.sh PROGRAM GENERATOR}
failed=0
for journey in search grid dialogs options preferences report tray captions stop instance; do
    start=$(date +%s)
    args=("$PROGRAM")
    [ "$journey" = stop ] && args+=("$GENERATOR")
    if bash "$here/$journey.sh" "${args[@]}"; then
        result=passed
    else
        result=FAILED
        failed=1
    fi
    printf '%-12s %-7s %3ss\n' "$journey" "$result" $(( $(date +%s) - start ))
done
exit "$failed"
