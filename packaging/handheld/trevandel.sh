#!/bin/sh
# Starts Trevandel from the trevandel folder beside this script, the way a handheld's firmware
# starts an app or a port: a shell script from its list. Quitting Trevandel ends the script, and
# the firmware's own menu comes back.
cd "$(dirname "$0")/trevandel" || exit 1
./trevandel-handheld
status=$?
# What the settings page saved is on the card before it can be pulled out.
sync
exit $status
