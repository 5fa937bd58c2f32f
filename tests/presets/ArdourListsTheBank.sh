#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Ardour 7, a host that reads only the files directly in a plug-in's preset folder, lists the
# whole factory bank once it is installed beside the bundle in a home folder of its own.
# Usage: ArdourListsTheBank.sh BUNDLE BANK INSTALL-SCRIPT. Exits 77 (skipped) without Ardour.
set -uo pipefail
bundle=$1
bank=$2
install_script=$3
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
listed=$("$here/../support/RunInArdour.sh" --bank "$bank" "$install_script" --timeout 300 \
    "$bundle" "$work" "$here/ardour-lists-presets.lua" "$work/session" 2>&1)
status=$?
if [ "$status" -eq 77 ]; then
    echo "$listed"
    exit 77
fi
expected=$(find "$bank" -maxdepth 1 -name '*.vstpreset' | wc -l)
if ! grep -qx "Brask presets: $expected" <<<"$listed"; then
    echo "$listed"
    echo "Ardour lists: $(grep '^Brask presets' <<<"$listed" || echo "no Brask"), expected $expected"
    exit 1
fi
echo "Ardour lists all $expected presets"
