#!/bin/sh
# Starts vorta kemi. The game reads its data files from the working directory,
# so this changes into the data folder, found from this script's own place
# (../share/games/vorta-kemi): an unpacked package runs in place as well.
# The game's exit code is the launcher's.
set -e
here=$(dirname "$(readlink -f "$0")")
cd "$here/../share/games/vorta-kemi"
exec "$here/../lib/games/vorta-kemi/vorta-kemi" "$@"
