#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metadata; any remark of either validator,
# pedantic ones included, is a failure. Exit 77 when a validator is not installed.
#   scripts/validate-metadata.sh DESKTOP_FILE METAINFO_FILE
set -uo pipefail
desktop=$1
metainfo=$2

for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed (scripts/package.sh installs it)."
        exit 77
    fi
done

status=0
out=$(desktop-file-validate "$desktop" 2>&1) || status=1
echo "desktop-file-validate $(basename "$desktop"): ${out:-no remarks}"
[ -z "$out" ] || status=1

out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || status=1
echo "appstreamcli validate --pedantic $(basename "$metainfo"):"
echo "$out"
if grep -Eq '^[EWIP]: ' <<<"$out"; then
    status=1
fi
exit "$status"
