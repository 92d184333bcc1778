// listing.cpp - instructions as text: the table's name, the operand, and what each flag of the
// instruction means, in words.
#include "listing.h"

#include <cstdio>
#include <cstring>

namespace vesk {

namespace {

// The written form of a comparison or logic operator's token type.
char const* operatorof(unsigned char type) {
  switch (static_cast<tokentype>(type)) {
  case eqtoken:
    return "==";
  case netoken:
    return "!=";
  case gttoken:
    return ">";
  case getoken:
    return ">=";
  case lttoken:
    return "<";
  case letoken:
    return "<=";
  case andtoken:
    return "&&";
  case ortoken:
    return "||";
  default:
    return "?";
  }
}

// The flags of `in` in words, each after a blank.
void flagsof(instruction const& in, char* words, std::size_t size) {
  struct word {
    opcode code;
    unsigned char flag;
    char const* text;
  };
  static constexpr word words_of[] = {
      {op_target, targetselectors, "selectors"},
      {op_target, targetcreate, "create"},
      {op_target, targetcommand, "command"},
      {op_assign, targetcommand, "command"},
      {op_discard, targetcommand, "command"},
      {op_member, selecttarget, "target"},
      {op_member, memberbefore, "before"},
      {op_indexopen, selecttarget, "target"},
      {op_indexclose, selecttarget, "target"},
      {op_add, addlast, "last"},
      {op_fail, failplain, "plain"},
      {op_fail, failstatement, "statement"},
      {op_fail, failalone, "alone"},
      {op_context, failstatement, "statement"},
      {op_numeric, failstatement, "statement"},
      {op_numeric, failalone, "alone"},
      {op_callclose, 1, "parenthesised"},
      {op_element, 1, "named"},
  };
  words[0] = '\0';
  for (word const& w : words_of) {
    if (w.code != in.code || (in.flag & w.flag) == 0) continue;
    std::size_t used = std::strlen(words);
    std::snprintf(words + used, size - used, " %s", w.text);
  }
}

} // namespace

void listinstruction(instruction const& in, char const* name, char const* second, char* text,
                     std::size_t size) {
  opcodeinfo const& info = describe(in.code);
  char flags[96];
  flagsof(in, flags, sizeof flags);
  char operand[320] = "";
  if (in.code == op_compare || in.code == op_logic || in.code == op_qcompare) {
    std::snprintf(operand, sizeof operand, " %s", operatorof(in.flag));
  } else if (in.code == op_indexclose) {
    if (in.number != 0) std::snprintf(operand, sizeof operand, " missing");
  } else if (info.operand == numberoperand) {
    std::snprintf(operand, sizeof operand, " %.17g", in.number);
  } else if (info.operand == textoperand) {
    std::snprintf(operand, sizeof operand, " \"%.300s\"", in.text != nullptr ? in.text : "");
  } else if (info.operand == nameoperand || name != nullptr) {
    char const* shown = name != nullptr ? name : in.text;
    std::snprintf(operand, sizeof operand, " %.300s", shown != nullptr ? shown : "");
  }
  if (in.code == op_qcall) {
    std::size_t used = std::strlen(operand);
    std::snprintf(operand + used, sizeof operand - used, " (%d)", in.second);
  } else if (second != nullptr) {
    std::size_t used = std::strlen(operand);
    std::snprintf(operand + used, sizeof operand - used, ".%.100s", second);
  }
  std::snprintf(text, size, "%s%s%s", info.name, operand, flags);
}

} // namespace vesk
