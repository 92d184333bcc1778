// quick.cpp - the quick form of a compiled line: made from the line's instructions when its
// statement works on numbers alone, and run on the engine's registers, with every name taken
// from where its site remembers it. Anything unexpected gives the statement to the general way
// before it changed anything, so the quick form never decides what a statement does.
#include "quick.h"

#include <cstdlib>

#include "codebook.h"
#include "engine.h"
#include "numbers.h"
#include "storeaccess.h"

namespace vesk {

namespace {

// Translates a compiled line's instructions into quick operations.
class quickbuilder {
public:
  explicit quickbuilder(compiledline const& line)
      : code(line.code), count(line.count), sites(line.sites) {}
  quickform* build();

private:
  bool shape(quickform& form);
  bool assignment(quickform& form);
  bool condition(quickform& form, int from, opcode block, quickshape kind);
  bool value(quickform& form, int from, int to);
  bool operand(quickform& form, int& pc, int to);
  bool element(quickform& form, int& pc, int to);
  bool call(quickform& form, int& pc, int to);
  bool emit(quickform& form, quickop op, int change);
  int closer(int from, int to, opcode open, opcode close) const;
  int find(int from, opcode wanted) const;

  instruction const* code;
  int count;
  site const* sites;
  int depth = 0;
};

quickform* quickbuilder::build() {
  auto* form = static_cast<quickform*>(malloc(sizeof(quickform)));
  if (form == nullptr) return nullptr;
  *form = quickform{};
  if (shape(*form)) return form;
  free(form);
  return nullptr;
}

bool quickbuilder::shape(quickform& form) {
  if (count == 1) {
    switch (code[0].code) {
    case op_next:
      form.shape = quicknext;
      return true;
    case op_end:
      form.shape = quickend;
      return true;
    case op_else:
      form.shape = quickelse;
      return true;
    default:
      return false;
    }
  }
  if (code[0].code == op_target) return assignment(form);
  if (code[0].code == op_opening && count == 2 &&
      (code[1].code == op_repeat || code[1].code == op_do)) {
    form.shape = code[1].code == op_repeat ? quickrepeat : quickdo;
    return true;
  }
  if (code[0].code == op_opening) return condition(form, 1, op_if, quickif);
  if (code[0].code == op_closing && count > 1)
    return condition(form, 1, code[count - 1].code,
                     code[count - 1].code == op_until ? quickuntil : quickwhile);
  return false;
}

// target = value, where the target is a variable, an element at a computed index or a member.
bool quickbuilder::assignment(quickform& form) {
  instruction const& target = code[0];
  if (target.flag & targetcommand) return false;
  form.target = target.site;
  int at = 1;
  if ((target.flag & targetselectors) == 0) {
    form.shape = quickassign;
  } else if (count > 3 && code[1].code == op_member &&
             code[1].flag == (selecttarget | memberbefore) && code[2].code == op_member &&
             code[2].flag == selecttarget) {
    form.shape = quickmember;
    form.member = code[2].site;
    at = 3;
  } else if (count > 1 && code[1].code == op_indexopen && code[1].flag == selecttarget) {
    int close = closer(1, count, op_indexopen, op_indexclose);
    if (close < 0 || code[close].flag != selecttarget || code[close].number != 0) return false;
    if (!value(form, 2, close)) return false;
    form.shape = quickelement;
    form.indexend = form.count;
    at = close + 1;
  } else {
    return false;
  }
  int assign = find(at, op_assign);
  if (at >= count || code[at].code != op_context || assign < 0) return false;
  if (code[assign].flag & targetcommand) return false;
  return value(form, at + 1, assign);
}

// A block statement's condition: context, the number, its check, the block operation last.
bool quickbuilder::condition(quickform& form, int from, opcode block, quickshape kind) {
  if (block != op_if && block != op_until && block != op_while) return false;
  if (code[count - 1].code != block || count < from + 3) return false;
  if (code[from].code != op_context || code[count - 2].code != op_numeric) return false;
  form.shape = kind;
  return value(form, from + 1, count - 2);
}

// Instructions [from, to) leave exactly one number.
bool quickbuilder::value(quickform& form, int from, int to) {
  int before = depth;
  for (int pc = from; pc < to;)
    if (!operand(form, pc, to)) return false;
  return depth == before + 1;
}

bool quickbuilder::operand(quickform& form, int& pc, int to) {
  instruction const& in = code[pc];
  quickop op{};
  switch (in.code) {
  case op_number:
    op.code = q_number;
    op.number = in.number;
    ++pc;
    return emit(form, op, 1);
  case op_variable:
    op.code = q_variable;
    op.site = in.site;
    ++pc;
    return emit(form, op, 1);
  case op_negate:
    op.code = q_negate;
    break;
  case op_add:
    op.code = q_add;
    break;
  case op_subtract:
    op.code = q_subtract;
    break;
  case op_multiply:
    op.code = q_multiply;
    break;
  case op_divide:
    op.code = q_divide;
    break;
  case op_remainder:
    op.code = q_remainder;
    break;
  case op_compare:
    op.code = q_compare;
    op.relation = in.flag;
    break;
  case op_chainbase:
    return element(form, pc, to);
  case op_callopen:
    return call(form, pc, to);
  default:
    return false;
  }
  ++pc;
  if (op.code == q_negate) return depth >= 1 && emit(form, op, 0);
  return depth >= 2 && emit(form, op, -1);
}

// name[index] and name.member, a chain of one selector read as an operand.
bool quickbuilder::element(quickform& form, int& pc, int to) {
  unsigned short base = code[pc].site;
  if (pc + 3 < to && code[pc + 1].code == op_member && code[pc + 1].flag == memberbefore &&
      code[pc + 2].code == op_member && code[pc + 2].flag == 0 &&
      code[pc + 3].code == op_chainend) {
    quickop op{};
    op.code = q_member;
    op.site = base;
    op.member = code[pc + 2].site;
    pc += 4;
    return emit(form, op, 1);
  }
  if (pc + 1 >= to || code[pc + 1].code != op_indexopen || code[pc + 1].flag != 0) return false;
  int close = closer(pc + 1, to, op_indexopen, op_indexclose);
  if (close < 0 || close + 1 >= to || code[close].flag != 0 || code[close].number != 0 ||
      code[close + 1].code != op_chainend)
    return false;
  if (!value(form, pc + 2, close)) return false;
  quickop op{};
  op.code = q_element;
  op.site = base;
  pc = close + 2;
  return emit(form, op, 0);
}

// A call of a function that has a numbers-only form, its arguments unnamed.
bool quickbuilder::call(quickform& form, int& pc, int to) {
  site const& callee = sites[code[pc].site];
  if (callee.kind != calledfunction || callee.numeric == nullptr) return false;
  int close = closer(pc, to, op_callopen, op_callclose);
  if (close < 0) return false;
  quickop op{};
  op.code = q_call;
  op.site = code[pc].site;
  int start = pc + 1;
  for (int at = start; at < close; ++at) {
    if (code[at].code == op_callopen) at = closer(at, close, op_callopen, op_callclose);
    if (at < 0) return false;
    if (code[at].code != op_argument) continue;
    if (code[at].text[0] != '\0' || !value(form, start, at)) return false;
    ++op.count;
    start = at + 1;
  }
  if (start != close) return false;
  pc = close + 1;
  return emit(form, op, 1 - op.count);
}

bool quickbuilder::emit(quickform& form, quickop op, int change) {
  if (form.count >= maxquickops) return false;
  depth += change;
  if (depth > maxquickdepth) return false;
  form.ops[form.count++] = op;
  return true;
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

quickform* makequick(compiledline const& line) {
  if (line.count <= 0) return nullptr;
  return quickbuilder(line).build();
}

// The number that ops [from, to) compute; false where one of them finds no number (or would
// fail: the general way then reports it).
bool engine::quickvalue(compiledline& line, int from, int to, double* result) {
  quickform const& form = *line.quick;
  double stack[maxquickdepth];
  int top = 0;
  for (int i = from; i < to; ++i) {
    quickop const& op = form.ops[i];
    switch (op.code) {
    case q_number:
      stack[top++] = op.number;
      break;
    case q_variable: {
      variable const* value = remembered(line.sites[op.site]);
      if (value == nullptr || !storeaccess::plainnumber(*value)) return false;
      stack[top++] = storeaccess::numberof(*value);
      break;
    }
    case q_element: {
      variable* list = remembered(line.sites[op.site]);
      double index = stack[top - 1];
      if (list == nullptr || (!list->islist() && !list->isnamedlist()) ||
          !(index > -1.0 && index < list->count()))
        return false;
      variable const* value = list->index(static_cast<int>(index));
      if (value == nullptr || !storeaccess::plainnumber(*value)) return false;
      stack[top - 1] = storeaccess::numberof(*value);
      break;
    }
    case q_member: {
      variable* value = quickfindmember(line, op.site, op.member);
      if (value == nullptr || !storeaccess::plainnumber(*value)) return false;
      stack[top++] = storeaccess::numberof(*value);
      break;
    }
    case q_call: {
      site const& callee = line.sites[op.site];
      double value;
      top -= op.count;
      if (callee.numeric == nullptr || !callee.numeric(stack + top, op.count, &value)) return false;
      stack[top++] = value;
      break;
    }
    case q_negate:
      stack[top - 1] = -stack[top - 1];
      break;
    case q_add:
      --top;
      stack[top - 1] += stack[top];
      break;
    case q_subtract:
      --top;
      stack[top - 1] -= stack[top];
      break;
    case q_multiply:
      --top;
      stack[top - 1] *= stack[top];
      break;
    case q_divide:
      if (stack[--top] == 0) return false;
      stack[top - 1] /= stack[top];
      break;
    case q_remainder:
      --top;
      if (!remainderof(stack[top - 1], stack[top], &stack[top - 1])) return false;
      break;
    case q_compare:
      --top;
      stack[top - 1] = holds(static_cast<tokentype>(op.relation), stack[top - 1], stack[top]);
      break;
    }
  }
  *result = stack[0];
  return true;
}

// The member `member` remembers for the named list of site `base`, while it still finds it.
variable* engine::quickfindmember(compiledline& line, int base, int member) {
  variable* list = remembered(line.sites[base]);
  if (list == nullptr || !list->isnamedlist() || storeaccess::overlay(*list) != nullptr)
    return nullptr;
  foundslot const& found = line.sites[member].found;
  return stillmember(found, list) ? found.slot : nullptr;
}

// The slot the assignment of a quick line writes; null when it is not a number found where
// its site remembers it.
variable* engine::quicktarget(compiledline& line) {
  quickform const& form = *line.quick;
  variable* slot = nullptr;
  if (form.shape == quickassign) {
    slot = remembered(line.sites[form.target]);
  } else if (form.shape == quickmember) {
    slot = quickfindmember(line, form.target, form.member);
  } else {
    double index;
    variable* list = remembered(line.sites[form.target]);
    if (list == nullptr || (!list->islist() && !list->isnamedlist()) ||
        !quickvalue(line, 0, form.indexend, &index) || !(index > -1.0 && index < list->count()))
      return nullptr;
    slot = list->index(static_cast<int>(index));
  }
  return slot != nullptr && storeaccess::isnumber(*slot) ? slot : nullptr;
}

// Runs the quick form of `line`: the next line, -1 when the run ends, or quickmiss when the
// general way must run the statement (nothing has changed then).
int engine::runquick(compiledline& line) {
  quickform& form = *line.quick;
  double number = 0;
  int next = quickmiss;
  switch (form.shape) {
  case quickassign:
  case quickelement:
  case quickmember: {
    variable* slot = quicktarget(line);
    if (slot == nullptr || !quickvalue(line, form.indexend, form.count, &number)) break;
    storeaccess::setnumber(*slot, number);
    next = cmdindex + 1;
    break;
  }
  case quickif:
    if (ctrlsize > 0 && ctrltop < ctrlsize && ctrlstack != nullptr &&
        quickvalue(line, 0, form.count, &number))
      next = execute_if(number != 0);
    break;
  case quickuntil:
  case quickwhile: {
    int kind = form.shape == quickuntil ? repeatblock : doblock;
    if (ctrltop <= 0 || ctrlstack[ctrltop - 1].kind != kind ||
        !quickvalue(line, 0, form.count, &number))
      break;
    closed = ctrlstack[--ctrltop];
    next = form.shape == quickuntil ? execute_until(number != 0) : execute_while(number != 0);
    break;
  }
  case quicknext:
    if (countloop()) next = nextline;
    break;
  case quickend:
    if (ctrltop > 0 && ctrlstack[ctrltop - 1].kind == ifblock) {
      --ctrltop;
      next = cmdindex + 1;
    }
    break;
  case quickelse:
    if (ctrltop > 0 && ctrlstack[ctrltop - 1].kind == ifblock) next = ctrlstack[--ctrltop].target;
    break;
  case quickrepeat:
  case quickdo:
    if (ctrlsize > 0 && ctrltop < ctrlsize && ctrlstack != nullptr) {
      pushblock(form.shape == quickrepeat ? repeatblock : doblock, cmdindex + 1);
      next = cmdindex + 1;
    }
    break;
  }
  if (next == quickmiss)
    ++form.misses;
  else if (form.misses != 0)
    form.misses = 0;
  return next;
}

} // namespace vesk
