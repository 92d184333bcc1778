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

cp cov.info before.info
"$vesk" --coverage cov.info main.vk >out 2>err
check "coverage: an earlier trace file is replaced" same "$?|$(cat err)|$(cmp cov.info before.info)" "0||"

# The parallel block's divider is no statement line, whatever follows it on its line. A file in
# the working folder named like the lines of -c is not theirs; a line break in a script's path
# cannot be written in a record.
printf 'parallel\n  x = 1\nthread  the second part\n  y = 2\nend\n' >parts.vk
"$vesk" --coverage parts.info parts.vk >out 2>err
check "coverage: 'thread' and a comment is no line that never ran" \
  same "$?|$(grep -c '^DA:' parts.info)|$(grep '^L' parts.info | tr '\n' ' ')" "0|3|LF:3 LH:3 "
printf 'x = 1\n' >./-c
"$vesk" --coverage line.info -c 'y = 2' >out 2>err
check "coverage: -c is no file, whatever the working folder holds" same "$?|$(cat err)|$(cat line.info)" \
  "0|vesk: the coverage has no record of '-c', which is no file to read|"
printf 'x = 1\n' >$'two\nlines.vk'
"$vesk" --coverage broken.info $'two\nlines.vk' >out 2>err
check "coverage: a line break in a script's path" same "$?|$(cat err)|$(cat broken.info)" \
  "0|vesk: the coverage has no record of 'two\\nlines.vk', whose path holds a line break|"

# --- the files of the reports ----------------------------------------------------------------
# Resolved when vesk starts: deletefolder makes / the working folder for the rest of the run.
mkdir doomed
printf 'deletefolder("%s")\nx = 1\n' "$work/doomed" >leave.vk
"$vesk" --coverage leave.info --profile=leave.tsv leave.vk >out 2>err
check "report files are named when vesk starts, not after the script changes folder" \
  same "$?|$(cat err)|$(grep -c '^DA:[12],1$' leave.info)|$(cut -f1-3 leave.tsv | tr '\n' ' ')" \
  "0||2|script	line	count leave.vk	1	1 leave.vk	2	1 "

# Never a script that runs, nor a file of another kind without --overwrite.
printf 'x = 1\n' >keep.vk
"$vesk" --coverage keep.vk keep.vk >out 2>err
check "coverage: the script to run is refused" same "$?|$(cat err)|$(cat keep.vk)" \
  "2|vesk: the coverage file 'keep.vk' is the script to run|x = 1"
"$vesk" --coverage keep.vk </dev/null >out 2>err
check "coverage: a file that is no trace file is kept" same "$?|$(cat err)|$(cat keep.vk)" \
  "2|vesk: 'keep.vk' is no coverage file; --overwrite replaces it|x = 1"
"$vesk" --profile=keep.vk main.vk >out 2>err
check "profile: a file that is no profile is kept" same "$?|$(cat err)|$(cat keep.vk)" \
  "2|vesk: 'keep.vk' is no profile file; --overwrite replaces it|x = 1"
"$vesk" --overwrite --profile=sub.vk main.vk >out 2>err
check "profile: not even --overwrite replaces a script that ran" \
  same "$?|$(cat err)|$(head -1 sub.vk)" \
  "2|vesk: cannot write profile 'sub.vk': it is the script 'sub.vk' that ran|s = 0"
"$vesk" --overwrite --coverage keep.vk - </dev/null >out 2>err
check "coverage: --overwrite replaces a file of another kind" same "$?|$(cat keep.vk)" "0|"

# A write that fails is reported and leaves the earlier file whole. Beyond the file size limit
# a write fails (with the signal ignored) instead of ending vesk.
"$vesk" --coverage /dev/full main.vk >out 2>err
check "coverage: a full disk" same "$?|$(cat err)" \
  "2|vesk: cannot write coverage '/dev/full': No space left on device"
for i in $(seq 1 300); do echo "x = $i"; done >big.vk
(trap '' XFSZ; ulimit -f 1; "$vesk" --coverage cov.info big.vk >out 2>err)
check "a write beyond the file size limit leaves the earlier trace file as it was" \
  same "$?|$(cat err)|$(cmp cov.info before.info)|$(ls | grep -c tmp)" \
  "2|vesk: cannot write coverage 'cov.info': File too large||0"

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
# The second part of a parallel block ends with its thread, not with the next line after the
# block, which takes 300 ms.
printf 'parallel\n  sleep(20)\nthread\n  y = 2\nend\nsleep(300)\n' >after.vk
"$vesk" --profile=after.tsv after.vk >out 2>err
check "profile: the time after a parallel block is not the second part's" awk -F'\t' '
  $2 == 4 { part = $4 } $2 == 6 { after = $4 }
  END { exit !(part < 100 && after >= 300) }' after.tsv
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
# usage MESSAGE ARGS...: vesk ARGS exits with 2, prints nothing and writes MESSAGE alone
usage() {
  local message=$1
  shift
  "$vesk" "$@" >out 2>err
  same "$?|$(cat out)|$(cat err)" "2||vesk: $message"
}
help="(try 'vesk --help')"
check "usage: --check without a file" usage "--check needs a script file $help" --check
check "usage: -W without --check" usage "-W goes with --check $help" -W main.vk
check "usage: --check with --trace" \
  usage "--check runs nothing to trace, profile or cover $help" --check --trace main.vk
check "usage: --check of standard input" usage "--check takes script files, not - $help" --check -
check "usage: --check of a missing file" \
  usage "script 'nosuchscript' not found" --check main.vk nosuchscript
check "usage: --profile= without a file" usage "--profile= needs a file name $help" --profile= main.vk
check "usage: --coverage without a file" \
  usage "missing argument after --coverage $help" --coverage

if ((failures > 0)); then
  echo "$failures case(s) failed"
  exit 1
fi
