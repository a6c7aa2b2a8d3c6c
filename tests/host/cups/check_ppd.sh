#!/usr/bin/env bash
# Checks the built PPD two ways: CUPS's own checker passes it (the filter
# may not be installed yet, so a missing filter program is only a warning),
# and the driver's PPD reader takes every statement in it.
# Usage: check_ppd.sh PPD CARDPRINT
set -euo pipefail
ppd=$1
cardprint=$2

cupstestppd -W filters "$ppd"

refusals=$("$cardprint" ppd dump "$ppd" | sed -n 's/^refused statements: //p')
if [[ "$refusals" != 0 ]]; then
  echo "the PPD reader refused ${refusals:-an unknown number of} statements:" >&2
  "$cardprint" ppd dump "$ppd" | sed -n '/^refused statements:/,$p' >&2
  exit 1
fi
echo "the PPD reader took every statement"
