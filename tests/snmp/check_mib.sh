#!/bin/sh
# The station's MIB passes smilint at its strictest level without a word.
# Exit 77 (skipped) where smilint or net-snmp's own MIBs are missing.
set -u
mib="$1"
here="$(dirname "$0")"
if ! command -v smilint >/dev/null 2>&1; then
    echo "smilint not installed (smitools): MIB not checked"
    exit 77
fi
if [ ! -f /usr/share/snmp/mibs/NET-SNMP-MIB.txt ]; then
    echo "NET-SNMP-MIB not installed (snmp): MIB not checked"
    exit 77
fi
path="$(mktemp -d)"
trap 'rm -rf "$path"' EXIT
cp "$here"/mibs/SNMPv2-SMI "$here"/mibs/SNMPv2-TC "$here"/mibs/SNMPv2-CONF "$path"/
cp /usr/share/snmp/mibs/NET-SNMP-MIB.txt "$path"/NET-SNMP-MIB
out="$(SMIPATH="$path" smilint -l 6 -s "$mib" 2>&1)"
status=$?
if [ -n "$out" ] || [ $status -ne 0 ]; then
    printf '%s\n' "$out"
    exit 1
fi
echo "VANTOR-MIB: no complaints"
