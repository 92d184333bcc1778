// code.h - the parsed form of a line: its statement as a sequence of instructions (opcodes.h)
// in the order they run, operands left to right and each operator after its operands, so that
// running the instructions does what evaluating the line's tokens from left to right does. The
// parser hands each instruction to a sink as it reads it: the reference way runs it at once, a
// compiled line keeps it (with the texts it names) to run on every later pass.
#pragma once

#include "opcodes.h"
#include "tokenizer.h"

namespace vesk {

// Flags of op_fail (and failstatement of op_context and op_numeric).
constexpr unsigned char failplain = 1;     // the text goes to the log as it is, no prefix
constexpr unsigned char failstatement = 2; // no try block intercepts it: the run ends
constexpr unsigned char failalone = 4;     // not a failure of the expression being read: the
                                           // statement's message for those does not follow
// Flags of op_target (and targetcommand of op_assign and op_discard).
constexpr unsigned char targetselectors = 1;
constexpr unsigned char targetcreate = 2;
constexpr unsigned char targetcommand = 4;
// Flags of op_member, op_indexopen, op_indexclose: the chain is an assignment target; the
// check of the value before a "." (op_member).
constexpr unsigned char selecttarget = 1;
constexpr unsigned char memberbefore = 2;
// Flag of op_add: the last operation of an assignment's right side, whose target is the
// variable it was given as its left operand.
constexpr unsigned char addlast = 1;

struct instruction {
  opcode code;
  unsigned char flag;
  unsigned short site; // where a compiled line remembers what the name resolved to
  union {
    int token;  // general tier: how many tokens of the line were read before it
    int second; // quick tier: a second site (qmember, qassignmember) or a count (qcall)
  };
  union {
    double number;
    char const* text;
  };
};

// Whether a compiled line keeps a copy of the instruction's `text`.
constexpr bool keepstext(instruction const& in) {
  return describe(in.code).operand == textoperand || describe(in.code).operand == nameoperand;
}

// Whether the instruction has a site: a name operand, but for the check before a ".".
constexpr bool keepssite(instruction const& in) {
  return describe(in.code).operand == nameoperand &&
         !(in.code == op_member && (in.flag & memberbefore) != 0);
}

// What becomes of an instruction handed to a sink: the reference way runs it (failed: the
// statement ends; absent: a target's variable is missing, so the line is read again as an
// expression), a compiled line keeps it (always emitted). Run from a compiled line's quick
// tier, it may have missed: what it found is no number, and the general instructions run the
// statement instead.
enum emitresult { emitted, failed, absent, missed };

// How a name reads as an operand: a call of a registered function or of a script file, or a
// variable (or nothing at all, which only running the line can tell).
enum namekind : unsigned char { calledfunction, calledscript, variablename };

} // namespace vesk
