#!/usr/bin/env bash
# standardinput_test.sh - vesk running the script on standard input: "vesk -" and vesk without
# a script when standard input is no terminal (a pipe, a file). Checks output, diagnostics (the
# script is named "-"), exit status, parameters, and that --timeout counts from the run.
# usage: standardinput_test.sh VESK
set -u
vesk=$1
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

if ((failures > 0)); then
  echo "$failures case(s) failed"
  exit 1
fi
