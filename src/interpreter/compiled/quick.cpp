// quick.cpp - the quick tier of a compiled line: made from the line's general instructions when
// its statement works on numbers alone, each quick instruction's effect on the numbers it holds
// taken from the instruction table; and what the quick instructions do that is more than a
// line of the dispatch (opcodes.h). Anything unexpected is a miss before anything changed, so
// the quick tier never decides what a statement does.
#include "quick.h"

#include <cstdlib>

#include "codebook.h"
#include "compiledlines.h"
#include "storeaccess.h"

namespace vesk {

namespace {

// Translates a compiled line's general instructions into quick ones.
class quickbuilder {
public:
  explicit quickbuilder(compiledline const& line)
      : code(line.code), count(line.count), sites(line.sites) {}
  bool build(compiledline& line);

private:
  bool shape();
  bool assignment();
  bool condition(int from, opcode block, opcode quick);
  bool value(int from, int to);
  bool operand(int& pc, int to);
  bool element(int& pc, int to);
  bool call(int& pc, int to);
  bool emit(instruction out);
  bool emit(opcode code, unsigned short site = 0, int second = 0);
  int closer(int from, int to, opcode open, opcode close) const;
  int find(int from, opcode wanted) const;

  instruction const* code;
  int count;
  site const* sites;
  instruction ops[maxquickops];
  int made = 0;
  int depth = 0; // numbers held after the instructions made so far
};

bool quickbuilder::build(compiledline& line) {
  if (!shape()) return false;
  auto* quick = static_cast<instruction*>(malloc(sizeof(instruction) * static_cast<size_t>(made)));
  if (quick == nullptr) return false;
  for (int i = 0; i < made; ++i) quick[i] = ops[i];
  line.quick = quick;
  line.quickcount = made;
  return true;
}

bool quickbuilder::shape() {
  if (count == 1) {
    switch (code[0].code) {
    case op_next:
      return emit(op_qnext);
    case op_end:
      return emit(op_qend);
    case op_else:
      return emit(op_qelse);
    default:
      return false;
    }
  }
  if (code[0].code == op_target) return assignment();
  if (code[0].code == op_opening && count == 2 &&
      (code[1].code == op_repeat || code[1].code == op_do))
    return emit(code[1].code == op_repeat ? op_qrepeat : op_qdo);
  if (code[0].code == op_opening) return condition(1, op_if, op_qif);
  if (code[0].code == op_closing && count > 1)
    return condition(1, code[count - 1].code,
                     code[count - 1].code == op_until ? op_quntil : op_qwhile);
  return false;
}

// target = value, where the target is a variable, an element at a computed index or a member.
bool quickbuilder::assignment() {
  instruction const& target = code[0];
  if (target.flag & targetcommand) return false;
  int at = 1;
  instruction store{};
  store.site = target.site;
  if ((target.flag & targetselectors) == 0) {
    store.code = op_qassign;
  } else if (count > 3 && code[1].code == op_member &&
             code[1].flag == (selecttarget | memberbefore) && code[2].code == op_member &&
             code[2].flag == selecttarget) {
    store.code = op_qassignmember;
    store.second = code[2].site;
    at = 3;
  } else if (count > 1 && code[1].code == op_indexopen && code[1].flag == selecttarget) {
    int indices = 0;
    for (; at < count && code[at].code == op_indexopen; ++indices) {
      if (code[at].flag != selecttarget) return false;
      int close = closer(at, count, op_indexopen, op_indexclose);
      if (close < 0 || code[close].flag != selecttarget || code[close].number != 0) return false;
      if (!value(at + 1, close)) return false;
      at = close + 1;
    }
    store.code = indices == 1 ? op_qassignelement : op_qassignelements;
    store.second = indices == 1 ? 0 : indices;
  } else {
    return false;
  }
  int assign = find(at, op_assign);
  if (at >= count || code[at].code != op_context || assign < 0) return false;
  if (code[assign].flag & targetcommand) return false;
  return value(at + 1, assign) && emit(store);
}

// A block statement's condition: context, the number, its check, the block operation last.
bool quickbuilder::condition(int from, opcode block, opcode quick) {
  if (block != op_if && block != op_until && block != op_while) return false;
  if (code[count - 1].code != block || count < from + 3) return false;
  if (code[from].code != op_context || code[count - 2].code != op_numeric) return false;
  return value(from + 1, count - 2) && emit(quick);
}

// Instructions [from, to) leave exactly one number.
bool quickbuilder::value(int from, int to) {
  int before = depth;
  for (int pc = from; pc < to;)
    if (!operand(pc, to)) return false;
  return depth == before + 1;
}

bool quickbuilder::operand(int& pc, int to) {
  instruction const& in = code[pc];
  instruction out{};
  switch (in.code) {
  case op_number:
    out.code = op_qnumber;
    out.number = in.number;
    break;
  case op_variable:
    out.code = op_qvariable;
    out.site = in.site;
    break;
  case op_negate:
    out.code = op_qnegate;
    break;
  case op_add:
    out.code = op_qadd;
    break;
  case op_subtract:
    out.code = op_qsubtract;
    break;
  case op_multiply:
    out.code = op_qmultiply;
    break;
  case op_divide:
    out.code = op_qdivide;
    break;
  case op_remainder:
    out.code = op_qremainder;
    break;
  case op_compare:
    out.code = op_qcompare;
    out.flag = in.flag;
    break;
  case op_chainbase:
    return element(pc, to);
  case op_callopen:
    return call(pc, to);
  default:
    return false;
  }
  ++pc;
  return emit(out);
}

// name[index] and name.member, a chain of one selector read as an operand.
bool quickbuilder::element(int& pc, int to) {
  unsigned short base = code[pc].site;
  if (pc + 3 < to && code[pc + 1].code == op_member && code[pc + 1].flag == memberbefore &&
      code[pc + 2].code == op_member && code[pc + 2].flag == 0 &&
      code[pc + 3].code == op_chainend) {
    int member = code[pc + 2].site;
    pc += 4;
    return emit(op_qmember, base, member);
  }
  // One index or several, each a number, one level of lists each.
  int at = pc + 1;
  int indices = 0;
  for (; at < to && code[at].code == op_indexopen; ++indices) {
    if (code[at].flag != 0) return false;
    int close = closer(at, to, op_indexopen, op_indexclose);
    if (close < 0 || code[close].flag != 0 || code[close].number != 0) return false;
    if (!value(at + 1, close)) return false;
    at = close + 1;
  }
  if (indices == 0 || at >= to || code[at].code != op_chainend) return false;
  pc = at + 1;
  return indices == 1 ? emit(op_qelement, base) : emit(op_qelements, base, indices);
}

// A call of a function that has a numbers-only form, its arguments unnamed.
bool quickbuilder::call(int& pc, int to) {
  site const& callee = sites[code[pc].site];
  if (callee.kind != calledfunction || callee.numeric == nullptr) return false;
  int close = closer(pc, to, op_callopen, op_callclose);
  if (close < 0) return false;
  unsigned short function = code[pc].site;
  int arguments = 0;
  int start = pc + 1;
  for (int at = start; at < close; ++at) {
    if (code[at].code == op_callopen) at = closer(at, close, op_callopen, op_callclose);
    if (at < 0) return false;
    if (code[at].code != op_argument) continue;
    if (code[at].text[0] != '\0' || !value(start, at)) return false;
    ++arguments;
    start = at + 1;
  }
  if (start != close || arguments > maxquickdepth) return false;
  pc = close + 1;
  return emit(op_qcall, function, arguments);
}

// Appends an instruction, counting the numbers held after it by the table's effect.
bool quickbuilder::emit(instruction out) {
  int effect = describe(out.code).effect;
  if (effect == varies) // the `second` numbers below: a call's arguments, an element's indices
    effect = out.code == op_qassignelements ? -1 - out.second : 1 - out.second;
  if (made >= maxquickops || depth + effect < 0) return false;
  depth += effect;
  if (depth > maxquickdepth) return false;
  ops[made++] = out;
  return true;
}

bool quickbuilder::emit(opcode code, unsigned short site, int second) {
  instruction out{};
  out.code = code;
  out.site = site;
  out.second = second;
  return emit(out);
}

// The instruction that closes the one at `from` (nested pairs skipped), or -1 before `to`.
int quickbuilder::closer(int from, int to, opcode open, opcode close) const {
  int nesting = 0;
  for (int at = from; at < to; ++at) {
    if (code[at].code == open) ++nesting;
    if (code[at].code == close && --nesting == 0) return at;
  }
  return -1;
}

int quickbuilder::find(int from, opcode wanted) const {
  for (int at = from; at < count; ++at)
    if (code[at].code == wanted) return at;
  return -1;
}

} // namespace

bool makequick(compiledline& line) {
  if (line.count <= 0) return false;
  return quickbuilder(line).build(line);
}

// --- what quick instructions do --------------------------------------------------------------

// The member `member` remembers for the named list of site `base`, while it still finds it.
variable* compiledlines::quickfindmember(compiledline& line, int base, int member) {
  variable* list = remembered(line.sites[base]);
  if (list == nullptr || !storeaccess::isnamedlist(*list) || storeaccess::overlay(*list) != nullptr)
    return nullptr;
  foundslot const& found = line.sites[member].found;
  return stillmember(found, list) ? found.slot : nullptr;
}

} // namespace vesk
