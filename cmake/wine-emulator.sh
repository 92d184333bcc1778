#!/bin/sh
# wine-emulator.sh PROGRAM.exe [ARGUMENT...] - how a cross build runs its Windows programs:
# through Wine, with one wineserver kept up between the many short test programs (60 seconds
# after the last). Server and services start here, under a lock and detached from the caller's
# output, so that ctest sees a program end when it ends; the prefix is $WINEPREFIX (~/.wine).
set -e
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}" # no .NET or HTML engine to offer to install
export WINEDEBUG WINEDLLOVERRIDES
prefix=${WINEPREFIX:-$HOME/.wine}
mkdir -p "$prefix"
(
  flock 9
  # Status 0: no server was running, and now one is; status 2: one already runs. wineboot
  # fills a new prefix and starts the services, which then hold nobody's output open.
  if wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
    wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$prefix.lock"
exec wine "$@"
