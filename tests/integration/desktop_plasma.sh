#!/bin/bash
# Plasma (a stand-in on a private bus; the real shell's test shows each
# placement): a refused picture explained in a box; a shell that never answers.
. "$(dirname "$0")/lib.sh"
with_session_bus "$@"

desktop_program_folder
use_display
export XDG_CURRENT_DESKTOP=KDE

record=$T/scripts
desktop_stand_in plasma "$record"

# The box's Qt must not take the Plasma call's Qt for its own (Qt would end the process).
touch "$record.refuse"
cp "$SARVO_QT_MODULE" "$PROG/"
run_changer_with_box SarvoBackdropChanger Return
assert_eq "$RC" 1 "exit code after a refused picture (stderr: $ERR)"
assert_eq "$BOX" yes "a box after a refused picture"

# A shell that never answers costs the run a few seconds.
mv "$record.refuse" "$record.hang"
without_box_module
CHANGER_LIMIT=30 run_changer
assert_eq "$RC" 1 "exit code with a shell that does not answer (stderr: $ERR)"
assert_contains "$ERR" "plasma：Plasma のシェル：Did not receive a reply" "the reason, before the run's own deadline"
