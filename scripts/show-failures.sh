#!/usr/bin/env bash
# Prints again, at the end of a run, what each failed test of the last
# CTest run in BUILD-DIR wrote, so that it is not lost among the output of
# the tests that ran beside it.
#
#   scripts/show-failures.sh BUILD-DIR
set -euo pipefail
log=${1:?build folder}/Testing/Temporary/LastTest.log
[[ -f $log ]] || exit 0
awk '
    / Testing: / { name = $3 }
    /^Output:$/ { out = ""; inside = 1; getline; next }  # and the rule under it
    /^<end of output>$/ { inside = 0; next }
    inside { out = out $0 "\n" }
    /^Test Failed/ { printf "==== what the failed test %s wrote\n%s\n", name, out }
' "$log"
