#!/usr/bin/env bash
# Includes run downwards only: src/platform below src/core below src/ui. Platform files
# include nothing of core or ui; core includes no Qt, nothing of ui and no OS
# implementation (only the interfaces in src/platform/*.h); ui reaches the OS through
# those interfaces too.
set -uo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)/src"
wrong=$(
    grep -rnE '#include ("ui/|"platform/[^/"]+/|<Q)' "$src/core"
    grep -rnE '#include "(core|ui)/' "$src/platform"
    grep -rnE '#include "platform/[^/"]+/' "$src/ui"
)
if [ -n "$wrong" ]; then
    echo "includes against the layers:" >&2
    echo "$wrong" >&2
    exit 1
fi
