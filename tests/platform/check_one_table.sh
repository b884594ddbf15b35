#!/bin/sh
# The OS table is libqvb's: the library exports it and each command uses that
# one, defining no table of its own (a second table would escape a test's
# replacement and keep state apart from the library's).
# Usage: check_one_table.sh NM LIBRARY COMMAND...
set -eu
nm_tool=$1
library=$2
shift 2
table='qvb::platform::os()'
if ! "$nm_tool" -D -C --defined-only "$library" | grep -qF " $table"; then
  echo "$library does not export $table"; exit 1
fi
status=0
for command in "$@"; do
  if "$nm_tool" -C --defined-only "$command" | grep -qF " $table"; then
    echo "$command carries an OS table of its own"; status=1
  elif ! "$nm_tool" -D -C --undefined-only "$command" | grep -qF " qvb::platform::"; then
    echo "$command takes nothing of the OS layer from libqvb"; status=1
  fi
done
exit $status
