#!/usr/bin/env bash
# Checks the built PPD two ways: CUPS's own checker passes it, with the
# built filter put where the PPD's *cupsFilter2 names it under a scratch
# root folder, and the driver's PPD reader takes every statement in it.
# Usage: check_ppd.sh PPD CARDPRINT FILTER
set -euo pipefail
ppd=$1
cardprint=$2
filter=$3

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
install -D -m 755 "$filter" "$root$(cups-config --serverbin)/filter/rastertocardprint"
cupstestppd -R "$root" "$ppd"

refusals=$("$cardprint" ppd dump "$ppd" | sed -n 's/^refused statements: //p')
if [[ "$refusals" != 0 ]]; then
  echo "the PPD reader refused ${refusals:-an unknown number of} statements:" >&2
  "$cardprint" ppd dump "$ppd" | sed -n '/^refused statements:/,$p' >&2
  exit 1
fi
echo "the PPD reader took every statement"
