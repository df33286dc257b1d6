#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The menu entry and the software centre's description pass the validators
# the desktops themselves use, without a warning or a hint. Usage: metadata.sh DIST_DIR
set -euo pipefail
dist=$1
status=0
report=$(desktop-file-validate "$dist/com.talvora.Nomix95.desktop" 2>&1) || status=1
report+=$(appstreamcli validate --no-net "$dist/com.talvora.Nomix95.metainfo.xml" 2>&1) || status=1
printf '%s\n' "$report"
if grep -Eq '(error|warning|hint):|^[EW]: ' <<<"$report"; then
  status=1
fi
exit "$status"
