#!/usr/bin/env bash
# tools_test.sh - vesk's tools where a golden script cannot reach: the coverage file, which
# genhtml must turn into a report with the right figures; the profile's counts and its table;
# names that --check judges by -I folders and -l libraries; --format on files and standard
# input; the usage errors of the tools.
# usage: tools_test.sh VESK EXTENSIONS   (EXTENSIONS: the folder of the test extensions)
set -u
vesk=$1
extensions=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

# check NAME CONDITION...: the case passes when the command after its name succeeds
check() {
  local name=$1
  shift
  if "$@"; then
    echo "ok: $name"
  else
    echo "FAILED: $name"
    failures=$((failures + 1))
  fi
}
same() { [[ "$1" == "$2" ]] || { printf 'got:\n%s\nexpected:\n%s\n' "$1" "$2"; return 1; }; }

cat >sub.vk <<'VK'
s = 0
for k = 1 to n
  s = s + k
next
VK
cat >main.vk <<'VK'
; a branch that never runs
total = 0
for i = 1 to 3
  sub n=i
  if i > 5
    print "never"
  end
  total = total + s
next
VK

# --- coverage ------------------------------------------------------------------------------
"$vesk" --coverage cov.info main.vk >out 2>err
check "coverage: the run itself is unchanged" same "$?$(cat out err)" "0"
expected="TN:
SF:$work/main.vk
DA:2,1
DA:3,1
DA:4,3
DA:5,3
DA:6,0
DA:8,3
DA:9,3
LF:7
LH:6
end_of_record
TN:
SF:$work/sub.vk
DA:1,3
DA:2,3
DA:3,6
DA:4,6
LF:4
LH:4
end_of_record"
check "coverage: every statement line of every script that ran (no end), with its count" \
  same "$(cat cov.info)" "$expected"
if genhtml -q -o html cov.info >genhtml.log 2>&1; then
  figures=$(grep -A3 '>Lines:<' html/index.html | grep -o '>[0-9.]* *%\?<' | tr -d '<>' | tr '\n' ' ')
  check "genhtml: 10 of 11 lines hit" same "$figures" "10 11 90.9 % "
  uncovered=$(grep -o 'name="[0-9]*"><span class="lineNum"> *[0-9]* </span><span class="lineNoCov"' \
    html/*/main.vk.gcov.html | grep -o '^name="[0-9]*"' | tr '\n' ' ')
  check "genhtml: the lines of the branch that never ran are marked" \
    same "$uncovered" 'name="6" '
else
  check "genhtml reads the coverage file" false
  cat genhtml.log
fi
printf 'x = 1\n' | "$vesk" --coverage stdin.info - >out 2>err
check "coverage: the script on standard input has no file to read" \
  same "$?|$(cat err)|$(cat stdin.info)" \
  "0|vesk: the coverage has no record of '-', which is no file to read|"

# --- profile -------------------------------------------------------------------------------
"$vesk" --profile=prof.tsv main.vk >out 2>err
check "profile file: written quietly" same "$?$(cat out err)" "0"
check "profile file: a header and every line that ran with its count" \
  same "$(cut -f1-3 prof.tsv)" "script	line	count
main.vk	2	1
main.vk	3	1
main.vk	4	3
main.vk	5	3
main.vk	8	3
main.vk	9	3
sub.vk	1	3
sub.vk	2	3
sub.vk	3	6
sub.vk	4	6"
# The call's time with the script it called is its own time plus all of sub.vk's.
check "profile file: time with calls = own time + the called script's time" awk -F'\t' '
  NR > 1 { own[$1 ":" $2] = $4; with[$1 ":" $2] = $5; if ($1 == "sub.vk") called += $4; share += $6 }
  END {
    d = with["main.vk:4"] - own["main.vk:4"] - called
    exit !(d < 0.01 && d > -0.01 && share > 99.5 && share < 100.5)
  }' prof.tsv
for i in $(seq 1 25); do echo "x$i = $i"; done >long.vk
"$vesk" --profile long.vk >out 2>err
check "profile: a title, a header and the twenty lines that took longest" \
  same "$(wc -l <err) $(head -1 err | cut -d, -f1) $(sed -n 2p err | tr -s ' ')" \
  "22 profile: 25 lines ran script line count self ms incl ms share"
"$vesk" --profile=missing/prof.tsv main.vk >out 2>err
check "profile: a file that cannot be written" \
  same "$?|$(cat err)" "2|vesk: cannot write profile 'missing/prof.tsv': No such file or directory"

# --- check: names in reach -----------------------------------------------------------------
mkdir lib
printf 's = 1\n' >lib/helper.vk
printf 'helper\ngeo = 1\n' >names.vk
"$vesk" --check names.vk >out 2>err
check "check: unknown names without -I and -l" same "$?|$(cat err)" \
  "0|names.vk(1): warning: 'helper' is called, but it is no function or script in reach and no line assigns it"
"$vesk" -I lib -l "$extensions/geo.ext" --check names.vk >out 2>err
check "check: scripts of -I folders and functions of -l libraries" same "$?|$(cat err)" \
  "0|names.vk(2): warning: assignment to 'geo', which is a function: every read of 'geo' calls it"

# --- format --------------------------------------------------------------------------------
printf 'if x>1\r\nprint  x\r\nend\r\n' >crlf.vk
printf 'y = 1\n' >tidy.vk
cp crlf.vk before.vk
"$vesk" --format --check tidy.vk crlf.vk >out 2>err
check "format --check: lists what would change, changes nothing" \
  same "$?|$(cat out err)|$(cmp crlf.vk before.vk && echo same)" "1|crlf.vk|same"
chmod 754 crlf.vk
"$vesk" --format crlf.vk tidy.vk >out 2>err
check "format: in place, line endings and permissions kept" \
  same "$?|$(cat out err)|$(od -c crlf.vk | head -2)|$(stat -c %a crlf.vk)|$(ls)" \
  "0||$(printf 'if x > 1\r\n  print x\r\nend\r\n' | od -c | head -2)|754|$(ls)"
"$vesk" --format --check crlf.vk tidy.vk >out 2>err
check "format --check: nothing left to change" same "$?|$(cat out err)" "0|"
printf '  for i=1 to 2\nprint i\n  next\n' | "$vesk" --format - >out 2>err
check "format -: standard input to standard output, on its first line's indentation" \
  same "$?|$(cat out err)" "0|  for i = 1 to 2
    print i
  next"
"$vesk" --format tidy.vk nosuchfile.vk >out 2>err
check "format: a file that cannot be read" same "$?|$(cat out)|$(grep -c nosuchfile err)" "2||1"

# --- usage ---------------------------------------------------------------------------------
usage() {
  "$vesk" "$@" >out 2>err
  [[ $? == 2 && ! -s out && -s err ]] || { echo "vesk $*: $(cat err)"; return 1; }
}
check "usage: --check without a file" usage --check
check "usage: -W without --check" usage -W main.vk
check "usage: --check with --trace" usage --check --trace main.vk
check "usage: --check of standard input" usage --check -
check "usage: --check of a missing file" usage --check main.vk nosuchscript
check "usage: --profile= without a file" usage --profile= main.vk
check "usage: --coverage without a file" usage --coverage

if ((failures > 0)); then
  echo "$failures case(s) failed"
  exit 1
fi
