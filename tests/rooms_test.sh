#!/usr/bin/env bash
# The host's folders include only the folders before them in this order (and the databases
# only core, text and data), so that the include graph between them has no cycle.
# Usage: rooms_test.sh SOURCE_DIR
set -euo pipefail
cd "$1/host"
order=(core text ui data forms packages)
declare -A allowed=([sqlite]="core text data" [postgres]="core text data")
for i in "${!order[@]}"; do
    allowed[${order[$i]}]="${order[*]:0:$i}"
done
status=0
for room in "${!allowed[@]}"; do
    for used in $(grep -rhoE '"zel/host/[a-z]+/' "$room" | sed 's#"zel/host/##; s#/$##' | sort -u); do
        if [ "$used" != "$room" ] && [[ " ${allowed[$room]} " != *" $used "* ]]; then
            echo "host/$room includes host/$used:" >&2
            grep -rn "\"zel/host/$used/" "$room" >&2
            status=1
        fi
    done
done
exit $status
