#!/usr/bin/env bash
# command_test.sh - vesk where a golden script cannot reach: the script on standard input
# ("vesk -" and vesk without a script when standard input is no terminal: output, diagnostics
# named "-", exit status, parameters, --timeout counting from the run, the bound on what is
# read); script paths that are no file (a folder, a FIFO, a device); extension libraries
# loaded with -l; and messages written as UTF-8 in a UTF-8 locale.
# usage: command_test.sh VESK EXTENSIONS   (EXTENSIONS: the folder of the test extensions)
set -u
vesk=$1
extensions=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

# runs vesk with the given arguments, standard input from the file "input"
run() {
  "$vesk" "$@" <input >out 2>err
  status=$?
}

# expect NAME STATUS STDOUT STDERR: compares the last run with what is expected
expect() {
  local ok=1
  [[ $status == "$2" ]] || ok=0
  [[ "$(cat out; echo .)" == "$3." ]] || ok=0
  [[ "$(cat err; echo .)" == "$4." ]] || ok=0
  if ((ok)); then
    echo "ok: $1"
  else
    echo "FAILED: $1"
    echo "  status $status, expected $2"
    echo "  stdout: $(printf %q "$(cat out)"), expected $(printf %q "$3")"
    echo "  stderr: $(printf %q "$(cat err)"), expected $(printf %q "$4")"
    failures=$((failures + 1))
  fi
}

printf 'total = 0\nfor i = 1 to 4\n  if i <> 3\n    total = total + i\n  end\nnext\nprint(total)\n' >input
run -
expect "blocks over several lines run as one script" 0 $'7 \n' ''

printf 'print("piped")\n' | "$vesk" >out 2>err
status=$?
expect "no script and a pipe: the pipe is the script" 0 $'piped \n' ''

printf 'print("from a file")\n' >input
run
expect "no script and a file on standard input" 0 $'from a file \n' ''

printf 'x = 1\n\nnosuch\nprint("not reached")\n' >input
run -
expect "diagnostics name the script - and count its lines" 1 '' \
  $'-(3): error: unknown element \'nosuch\'\n'

printf 'print(n * 2, name)\n' >input
run - n=21 name=abc
expect "NAME=VALUE after - are the script's parameters" 0 $'42 abc \n' ''

printf 'y = n\n' >input
run --globals - n=5
expect "parameters are not left in the global store" 0 $'{\n  y=5\n}\n' ''

: >input
run -
expect "an empty script succeeds" 0 '' ''

printf 'if 1\r\nprint("crlf")\r\nend' >input
run -
expect "carriage returns and a last line without a newline" 0 $'crlf \n' ''

printf 'repeat\nprint(1)\n' >input
run -
expect "a block left open at the end" 1 $'1 \n' \
  $'-(3): error: \'repeat\' not terminated with \'until\'\n'

printf 'print 1\nx = 1\0 + 1000\nprint x\n' >input
run -
expect "a line holding a NUL byte is refused before anything runs" 1 '' \
  $'-(2): error: line holds a NUL byte\n'

printf 'print("helper ran")\n' >helper.vk
printf 'helper\n' >input
run -
expect "scripts called from standard input are found in the working directory" 0 \
  $'helper ran \n' ''

printf 'repeat\nuntil 0\n' >input
run --timeout 0.3 -
expect "--timeout stops the script" 1 '' $'-(2): error: run stopped by the host\n'

# Reading takes longer than the limit; the run itself is quick.
(sleep 0.6; printf 'print("in time")\n') | "$vesk" --timeout 0.3 - >out 2>err
status=$?
expect "--timeout counts from the run, not from reading" 0 $'in time \n' ''

# Endless input ends at the bound, with a message naming it, instead of exhausting memory.
yes 'x = 1' | timeout 60 "$vesk" - >out 2>err
status=$?
expect "standard input beyond the bound" 2 '' \
  $'vesk: standard input holds more than 64 MiB, the most a script may have\n'

# --- script paths that are no file: reported at once, never opened ----------------------------
mkdir folder.vk
mkfifo fifo.vk
ln -s /dev/zero device.vk
: >input
run folder
expect "a folder named like the script" 2 '' $'vesk: script \'folder.vk\' is a folder, not a file\n'
timeout 10 "$vesk" fifo.vk <input >out 2>err
status=$?
expect "a FIFO named like the script" 2 '' $'vesk: script \'fifo.vk\' is a FIFO, not a file\n'
run device.vk
expect "a device named like the script" 2 '' $'vesk: script \'device.vk\' is a device, not a file\n'
run /dev/zero
expect "a device named without .vk" 2 '' \
  $'vesk: script \'/dev/zero\' not found (\'/dev/zero\' is a device; a script is a file NAME.vk)\n'

# --- extension libraries -----------------------------------------------------------------------
run --library "$extensions/geo.ext" -e 'geo(3, 4)'
expect "--library loads a library before the run" 0 $'5\n' ''
run -l "$extensions/missing.so" -c 'print 1'
expect "a library the loader cannot load: its own reason" 2 '' \
  "vesk: cannot load library '$extensions/missing.so': $extensions/missing.so: cannot open shared object file: No such file or directory"$'\n'
run -l "$extensions/nothing.so" -c 'print 1'
expect "a library without functions" 2 '' \
  "vesk: library '$extensions/nothing.so': 'nothing.so' contains no functions"$'\n'
run -l "$extensions/geo.ext" -l "$extensions/geo.ext" -c 'print 1'
expect "a library whose function is taken" 2 '' \
  "vesk: library '$extensions/geo.ext': 'geo/geo.ext' already defined"$'\n'

# --- the engine's German messages in a UTF-8 locale ---------------------------------------------
LC_ALL=C.UTF-8 "$vesk" -c 'x = "a" * 2' >out 2>err
status=$?
expect "the umlaut as UTF-8 in a UTF-8 locale" 1 '' \
  $'-c(1): error: Beide Operanden der Multiplikation bzw. Division m\xC3\xBCssen Zahlen sein\n'
LC_ALL=C LANG=C.UTF-8 "$vesk" -c 'x = "a" * 2' >out 2>err
status=$?
expect "the engine's byte under LC_ALL=C" 1 '' \
  $'-c(1): error: Beide Operanden der Multiplikation bzw. Division m\xFCssen Zahlen sein\n'

if ((failures > 0)); then
  echo "$failures case(s) failed"
  exit 1
fi
