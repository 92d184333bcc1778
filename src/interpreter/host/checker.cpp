// checker.cpp - reading a script's lines without running them (interpreter::check): each line
// is parsed into a recorder instead of the machine, its block keyword is matched against a
// stack of the blocks open so far, and what was found is reported in line order once every
// line has been read. Names are resolved as a run resolves them (resolve); nothing is stored.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diagnostics.h"
#include "engine.h"
#include "parser.h"
#include "scripttexts.h"

namespace vesk {

namespace {

// --- blocks ----------------------------------------------------------------------------------

enum blockkind { ifkind, fortokind, foreachkind, trykind, repeatkind, dokind, parallelkind };

// What opens each kind of block, what closes it and what divides it (null: nothing does).
struct blockrule {
  char const* opener;
  char const* name; // in messages
  char const* closer;
  char const* divider;
};
constexpr blockrule rules[] = {
    {"if", "if", "end", "else"},
    {"for", "for .. to", "next", nullptr},
    {"for", "for each", "next", nullptr},
    {"try", "try", "end", "catch"},
    {"repeat", "repeat", "until", nullptr},
    {"do", "do", "while", nullptr},
    {"parallel", "parallel", "end", "thread"},
};

// A closing or dividing keyword without a block it could close or divide.
struct orphan {
  char const* word;
  char const* text;
};
constexpr orphan orphans[] = {
    {"end", "'end' without matching 'if', 'try' or 'parallel'"},
    {"next", "'next' without 'for'"},
    {"until", "'until' without 'repeat'"},
    {"while", "'while' without 'do'"},
    {"else", "'else' without opening 'if'"},
    {"catch", "'catch' without opening 'try'"},
    {"thread", "'thread' outside 'parallel'"},
};

struct openblock {
  blockkind kind;
  int line;     // 1-based
  bool divided; // its divider came
};

// --- what is reported ------------------------------------------------------------------------

struct finding {
  int line;
  int order; // found so many before: keeps the order of findings on one line
  bool warning;
  char text[messagesize];
};

// A read of a name that looks like a call (see callshape), for the warning about names that
// are nothing at all.
struct nameuse {
  int line;
  char name[maxtokentext + 1];
};

struct assignedname {
  char name[maxtokentext + 1];
};

int comparenames(void const* a, void const* b) {
  return strcmp(static_cast<assignedname const*>(a)->name,
                static_cast<assignedname const*>(b)->name);
}

int comparefindings(void const* a, void const* b) {
  auto x = static_cast<finding const*>(a), y = static_cast<finding const*>(b);
  if (x->line != y->line) return x->line < y->line ? -1 : 1;
  return x->order < y->order ? -1 : x->order > y->order ? 1 : 0;
}

// The token of `line` after the first `skip` ones; its type.
tokentype tokenafter(char const* line, int skip, token& t) {
  tokenizer tokens(line, standardoptions);
  for (int i = 0; i < skip; ++i)
    if (tokens.nexttoken(t) == endtoken) return endtoken;
  return tokens.nexttoken(t);
}

bool ischar(token const& t, char c) {
  return t.type == chartoken && t.text[0] == c && !t.text[1];
}

// What follows a token, as far as telling a call goes.
enum follower : unsigned char { nothing, parenthesis, argument, other };

follower followerof(tokentype type, token const& t) {
  if (type == endtoken) return nothing;
  if (ischar(t, '(')) return parenthesis;
  bool operand = type == stringtoken || type == quotedtoken || type == nametoken ||
                 type == integertoken || type == realtoken;
  return operand ? argument : other;
}

// Reports the findings in line order; the number of errors.
int reportfindings(engine& e, finding* found, int count, int* warnings) {
  if (count > 0) qsort(found, static_cast<size_t>(count), sizeof *found, comparefindings);
  int errors = 0;
  char buffer[messagesize];
  for (int i = 0; i < count; ++i) {
    finding const& f = found[i];
    formatdiagnostic(buffer, sizeof buffer, e.scriptname, f.line, f.warning ? "warning" : "error",
                     f.text);
    e.log(f.warning ? logwarning : logerror, buffer);
    if (f.warning && warnings != nullptr) ++*warnings;
    if (!f.warning) ++errors;
  }
  return errors;
}

// --- the operand stack ---------------------------------------------------------------------

// The fewest operands a run holds on its operand stack after each instruction of a line that
// goes on running: where that passes the stack's slots, the run is certain to fail there. An
// element chain read as an operand takes one slot for its value from its first selector on; a
// call leaves its value where its arguments began (a function's result; a script call's
// arguments stay, the last being its value).
class operandcount {
public:
  // The count after `in`; `callee`: what the name of an op_callopen calls. False when the
  // count would pass the stack's slots.
  bool step(instruction const& in, namekind callee);
  void reset() { depth = chains = calls = 0; }

private:
  struct openchain {
    bool pushed; // the chain's value takes its slot
  };
  struct opencall {
    int depth; // before its arguments
    int arguments;
    namekind kind;
  };
  bool chainvalue();
  int depth = 0;
  openchain chain[maxnesting + 1];
  int chains = 0;
  opencall call[maxnesting + 1];
  int calls = 0;
};

// A selector of the innermost operand chain reached a value: it takes the chain's one slot.
bool operandcount::chainvalue() {
  if (chains == 0 || chain[chains - 1].pushed) return true;
  chain[chains - 1].pushed = true;
  return ++depth <= stackslots;
}

bool operandcount::step(instruction const& in, namekind callee) {
  bool ontarget = (in.flag & selecttarget) != 0;
  switch (in.code) {
  case op_chainbase:
    if (chains <= maxnesting) chain[chains++] = {false};
    return true;
  case op_callopen:
    if (calls <= maxnesting) call[calls++] = {depth, 0, callee};
    return true;
  case op_argument:
    if (calls > 0) ++call[calls - 1].arguments;
    return true;
  case op_member:
    return ontarget || (in.flag & memberbefore) != 0 || chainvalue();
  case op_indexclose:
    depth -= depth > 0; // the index
    return ontarget || chainvalue();
  case op_chainend:
    if (chains == 0) return true;
    if (!chain[--chains].pushed) return ++depth <= stackslots;
    return true;
  case op_callclose: {
    if (calls == 0) return true;
    opencall const& closed = call[--calls];
    bool keeps = closed.kind == calledscript && closed.arguments > 0;
    depth = keeps ? depth : closed.depth + 1;
    return depth <= stackslots;
  }
  case op_reread:
  case op_assign:
  case op_discard:
    reset();
    return true;
  default:
    depth += describe(in.code).effect;
    if (depth < 0) depth = 0;
    return depth <= stackslots;
  }
}

// --- one check -------------------------------------------------------------------------------

class checker final : public sink, public resolver {
public:
  checker(engine& e, char const* const* lines, int count)
      : machine(e), lines(lines), count(count) {}
  ~checker() {
    free(findings);
    free(blocks);
    free(uses);
    free(assigned);
    free(followers);
  }
  checker(checker const&) = delete;
  checker& operator=(checker const&) = delete;

  bool run();
  int report(int* warnings) { return reportfindings(machine, findings, findingcount, warnings); }

  emitresult emit(instruction const& in) override;
  bool running() const override { return false; }
  namekind kindof(char const* name, int token) override;

private:
  void readline(int index);
  void linefailed();
  void blockword(char const* word);
  void opens(blockkind kind);
  void closes(char const* word);
  void divides(char const* word);
  void assigns(char const* name);
  namekind judge(char const* name);
  void find(int at, bool warning, char const* format, char const* a = "", char const* b = "");
  bool keepassigned(char const* name);
  void warnunknown();
  bool callshape(int at);
  void loopnames(char const* names);
  int runningblocks() const;

  engine& machine;
  char const* const* lines;
  int count;
  bool nomemory = false;

  finding* findings = nullptr;
  int findingcount = 0, findingcapacity = 0;
  openblock* blocks = nullptr;
  int blockcount = 0, blockcapacity = 0;
  nameuse* uses = nullptr;
  int usecount = 0, usecapacity = 0;
  assignedname* assigned = nullptr;
  int assignedcount = 0, assignedcapacity = 0;
  follower* followers = nullptr; // of each token of the line, read once when first asked
  int followercount = -1, followercapacity = 0; // -1: not read for this line

  // The line being read: where it is, what it said so far.
  int line = 0;
  char const* text = "";
  bool done = false;      // the rest of its instructions do not matter (see emit)
  bool assigning = false; // an op_assign came
  bool failed = false;
  char target[maxtokentext + 1] = "";
  char context[messagesize] = "";
  char failure[messagesize] = "";
  unsigned char failflags = 0;
  operandcount operands;
  namekind lastkind = variablename; // what the name read last resolved to
};

// A line is read as a compiled line reads it: after a failure or a complete assignment the
// parser reads the line again as an expression, which a run never reaches.
emitresult checker::emit(instruction const& in) {
  if (done) return emitted;
  if (in.code != op_fail && !operands.step(in, lastkind)) {
    failed = true;
    done = true;
    copytext(failure, msg_stackfull, messagesize - 1);
    failflags = 0;
    return emitted;
  }
  switch (in.code) {
  case op_fail:
    failed = true;
    done = true;
    copytext(failure, in.text, messagesize - 1);
    failflags = in.flag;
    break;
  case op_context:
    copytext(context, in.text, messagesize - 1);
    break;
  case op_target:
    if (target[0] == '\0') copytext(target, in.text, maxtokentext);
    break;
  case op_assign:
    assigning = true;
    break;
  case op_reread:
    if (assigning) done = true;
    break;
  case op_opening:
    blockword(in.text);
    break;
  case op_closing:
    closes(in.text);
    break;
  case op_else:
    divides("else");
    break;
  case op_catch:
    divides("catch");
    break;
  case op_end:
    closes("end");
    break;
  case op_next:
    closes("next");
    break;
  case op_forto:
    assigns(in.text);
    break;
  case op_foreach: {
    loopnames(in.text);
    char name[maxtokentext + 1];
    copytext(name, in.text, maxtokentext);
    if (char* blank = strchr(name, ' ')) *blank = '\0';
    assigns(name);
    break;
  }
  default:
    break;
  }
  return emitted;
}

// Whether the name read `at` tokens into the line is written as a call would be: followed by
// "(", or as a statement of its own with nothing or an argument after it.
bool checker::callshape(int at) {
  if (followercount < 0) {
    tokenizer tokens(text, standardoptions);
    token t;
    followercount = 0;
    for (tokentype type = tokens.nexttoken(t); type != endtoken; type = tokens.nexttoken(t)) {
      if (!growopen(followers, followercount, followercapacity)) {
        nomemory = true;
        return false;
      }
      followers[followercount++] = followerof(type, t);
    }
  }
  follower next = at + 1 < followercount ? followers[at + 1] : nothing;
  return next == parenthesis || (at == 0 && next != other);
}

namekind checker::kindof(char const* name, int token) {
  namekind kind = lastkind = judge(name);
  if (done || kind != variablename || !callshape(token)) return kind;
  if (!growopen(uses, usecount, usecapacity)) {
    nomemory = true;
    return kind;
  }
  uses[usecount].line = line;
  copytext(uses[usecount++].name, name, maxtokentext);
  return kind;
}

// What a name is at the start of a run: a registered function, else a script file in reach,
// else a variable.
namekind checker::judge(char const* name) {
  return machine.resolve(name, nullptr);
}

void checker::find(int at, bool warning, char const* format, char const* a, char const* b) {
  if (!growopen(findings, findingcount, findingcapacity)) {
    nomemory = true;
    return;
  }
  finding& f = findings[findingcount];
  f.line = at;
  f.order = findingcount++;
  f.warning = warning;
  snprintf(f.text, sizeof f.text, format, a, b);
}

// A name the line stores into: kept for the warning about unknown names, and itself a warning
// when reading it would call something else.
void checker::assigns(char const* name) {
  if (!keepassigned(name)) nomemory = true;
  namekind kind = judge(name);
  if (kind == calledfunction)
    find(line, true, "assignment to '%s', which is a function: every read of '%s' calls it", name,
         name);
  else if (kind == calledscript)
    find(line, true, "assignment to '%s', which is a script in reach: every read of '%s' calls it",
         name, name);
}

bool checker::keepassigned(char const* name) {
  if (!growopen(assigned, assignedcount, assignedcapacity)) return false;
  copytext(assigned[assignedcount++].name, name, maxtokentext);
  return true;
}

// The first word of a block statement: `for` opens one of two kinds, told by the word after it.
void checker::blockword(char const* word) {
  for (int k = ifkind; k <= parallelkind; ++k) {
    if (strcmp(rules[k].opener, word) != 0) continue;
    token second;
    bool each = k == fortokind && tokenafter(text, 1, second) == nametoken &&
                strcmp(second.text, "each") == 0;
    opens(each ? foreachkind : static_cast<blockkind>(k));
    return;
  }
}

// The blocks a run has open on its control stack where the innermost block is: a parallel
// block's parts start with none of their own.
int checker::runningblocks() const {
  int open = 0;
  for (int i = blockcount - 1; i >= 0 && blocks[i].kind != parallelkind; --i) ++open;
  return open;
}

// The names of `for each` (the loop variable, a blank, the list), which the control stack
// keeps whole or not at all.
void checker::loopnames(char const* names) {
  char const* blank = strchr(names, ' ');
  size_t variable = blank != nullptr ? static_cast<size_t>(blank - names) : strlen(names);
  if (variable > maxloopnamelen)
    find(line, false, "%s", msg_loopname);
  else if (blank != nullptr && strlen(blank + 1) > maxloopnamelen)
    find(line, false, "%s", msg_listname);
}

void checker::opens(blockkind kind) {
  if (kind != parallelkind && runningblocks() >= ctrlstacksize)
    find(line, false, "%s", msg_blocksfull);
  if (!growopen(blocks, blockcount, blockcapacity)) {
    nomemory = true;
    return;
  }
  blocks[blockcount++] = openblock{kind, line, false};
}

char const* orphantext(char const* word) {
  for (orphan const& o : orphans)
    if (strcmp(o.word, word) == 0) return o.text;
  return word;
}

// A closing keyword closes the innermost block it can close; blocks opened inside that one
// were left open. Without such a block it closes nothing.
void checker::closes(char const* word) {
  int match = blockcount - 1;
  while (match >= 0 && strcmp(rules[blocks[match].kind].closer, word) != 0) --match;
  if (match < 0) {
    find(line, false, "%s", orphantext(word));
    return;
  }
  for (int i = blockcount - 1; i > match; --i)
    find(blocks[i].line, false, "'%s' not terminated with '%s'", rules[blocks[i].kind].name,
         rules[blocks[i].kind].closer);
  openblock const& closed = blocks[match];
  if (closed.kind == parallelkind && !closed.divided)
    find(closed.line, false, "'parallel' without matching 'thread'");
  blockcount = match;
}

// A dividing keyword belongs directly in the innermost block, once.
void checker::divides(char const* word) {
  if (blockcount == 0) {
    find(line, false, "%s", orphantext(word));
    return;
  }
  openblock& inner = blocks[blockcount - 1];
  blockrule const& rule = rules[inner.kind];
  if (rule.divider == nullptr || strcmp(rule.divider, word) != 0) {
    bool deeper = false;
    for (int i = 0; i < blockcount - 1; ++i)
      if (rules[blocks[i].kind].divider != nullptr &&
          strcmp(rules[blocks[i].kind].divider, word) == 0)
        deeper = true;
    if (deeper)
      find(line, false, "'%s' inside '%s', which is not closed yet", word, rule.name);
    else
      find(line, false, "%s", orphantext(word));
    return;
  }
  if (inner.divided) {
    find(line, false, "second '%s' in one '%s'", word, rule.name);
    return;
  }
  inner.divided = true;
}

// A failed line reports what a run would: the failure, then (for a failed expression) the
// statement's message.
void checker::linefailed() {
  find(line, false, "%s", failure);
  if ((failflags & failalone) == 0 && context[0] != '\0') find(line, false, "%s", context);
}

void checker::readline(int index) {
  line = index + 1;
  text = lines[index];
  done = assigning = failed = false;
  operands.reset();
  followercount = -1;
  target[0] = context[0] = failure[0] = '\0';
  token first, second;
  // "thread" divides a parallel block lexically, as the block's start finds it; it never runs.
  if (tokenafter(text, 0, first) == nametoken && strcmp(first.text, "thread") == 0 &&
      tokenafter(text, 1, second) == endtoken) {
    divides("thread");
    return;
  }
  parser reader(text, *this, *this);
  if (reader.empty()) return;
  reader.statement();
  if (failed) linefailed();
  if (assigning && target[0] != '\0') assigns(target);
}

// Reads every line; false when memory ran out on the way (nothing is reported then).
bool checker::run() {
  for (int i = 0; i < count && !nomemory; ++i) readline(i);
  for (int i = 0; i < blockcount; ++i)
    find(blocks[i].line, false, "'%s' not terminated with '%s'", rules[blocks[i].kind].name,
         rules[blocks[i].kind].closer);
  warnunknown();
  return !nomemory;
}

// Calls of names that are no function, no script in reach and assigned by no line.
void checker::warnunknown() {
  if (assignedcount > 0)
    qsort(assigned, static_cast<size_t>(assignedcount), sizeof *assigned, comparenames);
  for (int i = 0; i < usecount; ++i) {
    assignedname key;
    copytext(key.name, uses[i].name, maxtokentext);
    if (assignedcount > 0 && bsearch(&key, assigned, static_cast<size_t>(assignedcount),
                                     sizeof *assigned, comparenames) != nullptr)
      continue;
    find(uses[i].line, true,
         "'%s' is called, but it is no function or script in reach and no "
         "line assigns it",
         uses[i].name);
  }
}

} // namespace

// A check is a host's call: no other call may run in the family meanwhile. Called scripts are
// looked for beside `name`.
int engine::check(char const** lines, int count, char const* name, int* warnings) {
  if (!begincall()) return -1;
  int errors = -1;
  if ((lines == nullptr && count != 0) || count < 0) {
    cmdindex = -1;
    error("no lines to check");
  } else if (!refused(name, lines, count)) {
    copytext(scriptname, name, maxpathlen);
    checker reader(*this, lines, count);
    if (reader.run()) {
      errors = reader.report(warnings);
    } else {
      cmdindex = -1;
      error(msg_memory);
    }
  }
  endcall();
  return errors;
}

} // namespace vesk
