#!/usr/bin/env bash
# prompt_test.sh - the prompt of vesk in a real terminal: tmux runs vesk, keys are typed with
# send-keys and the screen is read with capture-pane. Each session's whole screen is compared
# with the transcript expected; every line is typed only once the previous entry is done.
# usage: prompt_test.sh VESK editing|plain EXTENSIONS
#   "editing": built with libedit (adds the tests of keys, completion and the history file);
#   EXTENSIONS: the folder of the test extension libraries
set -u
vesk=$(realpath "$1") # the sessions run in a folder of their own
editing=$2
extensions=$(realpath "$3")
skipped=77 # CTest's SKIP_RETURN_CODE for this test
if ! command -v tmux >/dev/null; then
  echo "SKIPPED: tmux is not installed; the prompt test needs a terminal (CI installs tmux)"
  exit $skipped
fi

work=$(mktemp -d)
sessions=0 # each session has a tmux server of its own, on a socket of its own
# A server of our own: no user configuration, nothing shared with other tmux sessions.
tm() { tmux -S "$work/tmux$sessions" -f /dev/null "$@"; }
trap 'tm kill-server 2>/dev/null; rm -rf "$work"' EXIT
failures=0
patience=200 # polls of 0.1 s before a wait gives up
prompts=0    # prompts vesk has shown in the current session

# start ARGS...: a new session running vesk with ARGS in an empty folder. A launcher records
# vesk's exit status in a file: tmux does not always learn it in time. bash, waiting for vesk,
# goes on when vesk handles Ctrl-C itself.
start() {
  tm kill-server 2>/dev/null
  sessions=$((sessions + 1))
  prompts=1
  cat >"$work/launch$sessions" <<LAUNCHER
cd '$work' || exit 1
export XDG_STATE_HOME='$work/state'
LC_ALL=C.UTF-8 '$vesk' $*
echo \$? >'$work/status$sessions'
LAUNCHER
  tm new-session -d -s vesk -x 100 -y 60 bash "$work/launch$sessions" \; \
    set-option -t vesk remain-on-exit on
  awaitprompts
}

# The screen and its scrollback, without the "^C" and "^D" that the terminal or the line
# editor echo (they differ between the two), without blanks at the ends of lines (print ends
# its line with one) and without blank lines at the end.
screen() {
  tm capture-pane -p -J -S - -t vesk | sed -e 's/\^C//g' -e 's/\^D//g' -e 's/ *$//' |
    sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'
}

# Waits until vesk has shown $prompts prompts and waits at the last one. Once a prompt fails
# to come, the keys that follow would land out of step: the test ends there.
awaitprompts() {
  local i
  for ((i = 0; i < patience; ++i)); do
    if ! tm has-session -t vesk 2>/dev/null; then
      echo "FAILED: the tmux server went away while waiting for prompt $prompts"
      exit 1
    fi
    local text
    text=$(screen)
    if [[ $(grep -cE '^(vesk|\.\.\.\.)>' <<<"$text") -ge $prompts &&
      $(tail -n 1 <<<"$text") =~ ^(vesk|\.\.\.\.)\>$ ]]; then
      return 0
    fi
    sleep 0.1
  done
  echo "FAILED: gave up waiting for prompt $prompts; the screen:"
  screen
  exit 1
}

# type LINE: types the line, presses Enter and waits for the next prompt
type() {
  tm send-keys -t vesk -l "$1"
  tm send-keys -t vesk Enter
  prompts=$((prompts + 1))
  awaitprompts
}

# key KEY...: presses keys (tmux names) without waiting
key() { tm send-keys -t vesk "$@"; }

# enter: presses Enter and waits for the next prompt
enter() {
  key Enter
  prompts=$((prompts + 1))
  awaitprompts
}

# awaitline TEXT: waits until a line of the screen is TEXT
awaitline() {
  local i
  for ((i = 0; i < patience; ++i)); do
    grep -qxF -- "$1" <(screen) && return 0
    sleep 0.1
  done
  echo "FAILED: gave up waiting for the line '$1'; the screen:"
  screen
  exit 1
}

# await TEXT: waits until the last line on the screen ends with TEXT
await() {
  local i
  for ((i = 0; i < patience; ++i)); do
    [[ $(screen | tail -n 1) == *"$1" ]] && return 0
    sleep 0.1
  done
  echo "FAILED: gave up waiting for '$1'; the screen:"
  screen
  exit 1
}

# finish STATUS: ends the session with Ctrl-D and waits for vesk to exit with STATUS
finish() {
  key C-d
  local i statusfile=$work/status$sessions
  for ((i = 0; i < patience; ++i)); do
    if [[ -s $statusfile ]]; then
      [[ $(<"$statusfile") == "$1" ]] && return 0
      echo "FAILED: vesk ended with status $(<"$statusfile"), expected $1"
      failures=$((failures + 1))
      return 1
    fi
    sleep 0.1
  done
  echo "FAILED: vesk did not exit after Ctrl-D"
  screen | tail -n 3
  failures=$((failures + 1))
  return 1
}

# compare NAME: the screen (up to tmux's own "Pane is dead" line) against standard input
compare() {
  local expected actual
  expected=$(cat)
  actual=$(screen | grep -v '^Pane is dead' | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}')
  if [[ $actual == "$expected" ]]; then
    echo "ok: $1"
  else
    echo "FAILED: $1"
    diff <(echo "$expected") <(echo "$actual") | sed 's/^/  /'
    failures=$((failures + 1))
  fi
}

banner="$("$vesk" --version): Ctrl-D leaves (inside an unfinished block it drops the block)"

# --- entries, blocks, the store kept, diagnostics, Ctrl-C ------------------------------------
start
type 'x = 40'
type 'print(x + 2)'
type 'for i = 1 to 3'
type '  if i <> 2'
type '    print(i * 10)'
type '  end'
type 'next'
type ''
type 'foo'
type 'for i = 1 to 2'
type '  print(i)'
type '  nosuch'
type 'next'
type 'try'
type '  nosuch(1)'
type 'catch'
type '  print("caught")'
type 'end'
type 'end'
type 'print("äö", x)'
# An endless loop: Ctrl-C stops the run, and the session goes on with its store. The loop
# shows that it runs before the key is pressed.
type 'if 1'
type '  print("looping")'
type '  repeat'
type '  until 0'
tm send-keys -t vesk -l 'end'
key Enter
await 'looping'
key C-c
prompts=$((prompts + 1))
awaitprompts
# Ctrl-C while a block is being typed drops it, once the terminal shows what was typed.
type 'if 1'
tm send-keys -t vesk -l 'print("dropped")'
await 'print("dropped")'
key C-c
prompts=$((prompts + 1))
awaitprompts
type 'print(x + 1)'
finish 0
compare "entries, blocks, diagnostics, Ctrl-C" <<EXPECTED
$banner
vesk> x = 40
vesk> print(x + 2)
42
vesk> for i = 1 to 3
....>   if i <> 2
....>     print(i * 10)
....>   end
....> next
10
30
vesk>
vesk> foo
prompt(1): error: unknown element 'foo'
vesk> for i = 1 to 2
....>   print(i)
....>   nosuch
....> next
1
prompt(3): error: unknown element 'nosuch'
vesk> try
....>   nosuch(1)
....> catch
....>   print("caught")
....> end
caught
vesk> end
prompt(1): error: 'end' without matching 'if' or 'try'
vesk> print("äö", x)
äö 40
vesk> if 1
....>   print("looping")
....>   repeat
....>   until 0
....> end
looping

prompt(4): error: run stopped by the host
vesk> if 1
....> print("dropped")
vesk> print(x + 1)
41
vesk>
EXPECTED

# --- limits hold for each entry; --globals prints the store when the session ends ----------
start --max-statements 50 --globals
for round in 1 2 3; do
  type "for i = 1 to 20"
  type "next"
done
type 'for i = 1 to 100'
type 'next'
type 'y = i'
finish 0
compare "--max-statements per entry, --globals at the end" <<EXPECTED
$banner
vesk> for i = 1 to 20
....> next
vesk> for i = 1 to 20
....> next
vesk> for i = 1 to 20
....> next
vesk> for i = 1 to 100
....> next
prompt(2): error: statement limit of 50 reached
vesk> y = i
vesk>
{
  i=50
  y=50
}
EXPECTED

start --timeout 0.3
for round in 1 2; do
  type 'repeat'
  type 'until 0'
done
finish 0
compare "--timeout per entry" <<EXPECTED
$banner
vesk> repeat
....> until 0
prompt(2): error: run stopped by the host
vesk> repeat
....> until 0
prompt(2): error: run stopped by the host
vesk>
EXPECTED

# --- values of expressions; Ctrl-D drops an unfinished block, a second one ends the session ---
start
type 'x = 2'
type 'x + 1'
type '{x, "a", {b = 1}}'
type 'print x * 5'
type '"n" + x ; a comment'
type 'x 1'
type 'for i = 1 to 3'
type '  print i'
key C-d
prompts=$((prompts + 1))
awaitprompts
type 'i'
type 'if 1'
type '  x'
type 'end'
finish 0
compare "values of expressions, Ctrl-D inside a block" <<EXPECTED
$banner
vesk> x = 2
vesk> x + 1
3
vesk> {x, "a", {b = 1}}
{
  2
  'a'
  {
    b=1
  }
}
vesk> print x * 5
10
vesk> "n" + x ; a comment
'n2'
vesk> x 1
prompt(1): error: trailing something after expression
vesk> for i = 1 to 3
....>   print i
....>
vesk: unfinished block dropped
vesk> i
prompt(1): error: unknown element 'i'
vesk> if 1
....>   x
....> end
vesk>
EXPECTED

# --- line editing and history (libedit builds only) ------------------------------------------
if [[ $editing == editing ]]; then
  start
  type 'print(7)'
  key Up
  key Enter
  prompts=$((prompts + 1))
  awaitprompts
  tm send-keys -t vesk -l 'print(3)'
  key Left
  tm send-keys -t vesk -l '4'
  key Enter
  prompts=$((prompts + 1))
  awaitprompts
  tm send-keys -t vesk -l 'print(5x)'
  key Left BSpace
  key Enter
  prompts=$((prompts + 1))
  awaitprompts
  tm send-keys -t vesk -l 'print("a'
  key Tab
  tm send-keys -t vesk -l 'b")'
  key Enter
  prompts=$((prompts + 1))
  awaitprompts
  finish 0
  compare "history, cursor keys and a tab typed as itself" <<EXPECTED
$banner
vesk> print(7)
7
vesk> print(7)
7
vesk> print(34)
34
vesk> print(5)
5
vesk> print("a  b")
a       b
vesk>
EXPECTED

  # Tab completes keywords, functions (built-in and from libraries) and global variables as
  # far as the candidates agree, and lists them when they agree no further.
  start -l "$extensions/geo.ext"
  type 'total = 5'
  tm send-keys -t vesk -l 'pri'
  key Tab
  tm send-keys -t vesk -l 'tot'
  key Tab
  enter
  tm send-keys -t vesk -l 'x = geo'
  key Tab
  tm send-keys -t vesk -l '3, 4'
  enter
  tm send-keys -t vesk -l 'isd'
  key Tab
  awaitline 'isdefined   isdisabled'
  prompts=$((prompts + 1))
  tm send-keys -t vesk -l 'ef'
  key Tab
  tm send-keys -t vesk -l '"x"'
  enter
  tm send-keys -t vesk -l 'rep'
  key Tab
  key Enter
  prompts=$((prompts + 1))
  awaitprompts
  type 'until 1'
  finish 0
  compare "Tab completes keywords, functions, library functions and variables" <<EXPECTED
$banner
vesk> total = 5
vesk> print total
5
vesk> x = geo 3, 4
vesk> isd
isdefined   isdisabled
vesk> isdefined "x"
1
vesk> repeat
....> until 1
vesk>
EXPECTED

  # Thousands of candidates: in columns within the screen's width, and only when the user says
  # so, since they take more lines than the screen has.
  for ((i = 1; i <= 3000; ++i)); do echo "v$i = $i"; done >"$work/many.vk"
  start
  type 'many'
  tm send-keys -t vesk -l 'v'
  key Tab
  await 'show all 3000 names (215 lines)? (y or n)'
  key n
  await 'vesk> v'
  key Tab
  await 'show all 3000 names (215 lines)? (y or n)'
  key y
  await 'vesk> v'
  key BSpace
  finish 0
  listed=$(screen | grep -E '^v[0-9]+( +v[0-9]+)*$')
  if [[ $(wc -l <<<"$listed") != 215 || $(wc -w <<<"$listed") != 3000 ||
    $(awk 'length > 100' <<<"$listed") != "" ]]; then
    echo "FAILED: 3000 names listed in 215 lines of at most 100 characters; the screen:"
    screen | head -n 20
    failures=$((failures + 1))
  else
    echo "ok: thousands of candidates"
  fi
  if [[ $(screen | grep -c '(y or n)') != 2 || $(screen | grep -c '^v1 ') != 1 ]]; then
    echo "FAILED: the question asked twice, the list shown once; the screen:"
    screen | head -n 20
    failures=$((failures + 1))
  fi

  # The history is kept across sessions in the state folder.
  start
  type 'print(11 * 11)'
  finish 0
  start
  key Up
  enter
  finish 0
  compare "the history of the last session" <<EXPECTED
$banner
vesk> print(11 * 11)
121
vesk>
EXPECTED
  # the file writes a blank as \040
  if ! grep -qF 'print(11' "$work/state/vesk/history"; then
    echo "FAILED: the history file $work/state/vesk/history lacks the last entry"
    failures=$((failures + 1))
  fi

  # libedit's reader overruns its buffer on a line of 1024 characters: such a line stays out of
  # the file, and the next session starts (AddressSanitizer saw the overrun).
  start
  type ";$(printf '%01023d' 0)"
  type 'print(2 + 2)'
  finish 0
  start
  key Up
  enter
  finish 0
  compare "a line the history file cannot keep" <<EXPECTED
$banner
vesk> print(2 + 2)
4
vesk>
EXPECTED

  # A damaged history file: what does not read as an entry is skipped.
  {
    echo _HiStOrY_V2_
    LC_ALL=C awk 'BEGIN { srand(24); for (i = 0; i < 100000; i++) printf "%c", int(rand() * 256) }'
    printf '\nprint(6\\040*\\0407)\n'
  } >"$work/state/vesk/history"
  start
  key Up
  enter
  finish 0
  compare "a history file of 100 KB of garbage" <<EXPECTED
$banner
vesk> print(6 * 7)
42
vesk>
EXPECTED

  # A history file that cannot be written is reported once, and the session goes on.
  ln -sf /dev/full "$work/state/vesk/history"
  start
  type 'print(1)'
  type 'print(2)'
  finish 0
  compare "a history file on a full disk" <<EXPECTED
$banner
vesk> print(1)
vesk: cannot write history '$work/state/vesk/history': No space left on device
1
vesk> print(2)
2
vesk>
EXPECTED
fi

if ((failures > 0)); then
  echo "$failures session(s) failed"
  exit 1
fi
