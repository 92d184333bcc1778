// code.h - the parsed form of a line: its statement as a sequence of instructions in the order
// they run, operands left to right and each operator after its operands, so that running the
// instructions does what evaluating the line's tokens from left to right does. The parser
// hands each instruction to a sink as it reads it: the general way runs it at once, a compiled
// line keeps it (with the texts it names) to run on every later pass.
#pragma once

#include "symbolizer.h"

namespace vesk {

enum opcode : unsigned char {
  // Operands and operators of expressions.
  op_number,     // push `number`
  op_text,       // push the text `text`
  op_negate,     // a prefix minus: negate a number on top
  op_variable,   // push the value of the variable `text` (site `site`), or fail: unknown
  op_chainbase,  // an element chain begins at the variable `text` of the store (none: null)
  op_member,     // "." `text`: the member of the current value (flag: selecttarget, in place;
                 // memberbefore: only check the value before the "." (`text`: the name read
                 // last, for the message))
  op_indexopen,  // "[": the current value must be a list (flag: target)
  op_indexclose, // "]": select the element at the index on top (flag: target; `number` 1:
                 // the "]" was missing)
  op_chainend,   // the chain's last value replaces what it pushed on the way
  op_listopen,   // "{": a list literal begins
  op_element,    // a literal's element: the value on top (flag: named, `text` the name)
  op_listclose,  // "}": push the literal's list
  op_callopen,   // a call of the function or script `text` begins, as the resolver said
  op_argument,   // the value on top is an argument (named `text` when not empty)
  op_callclose,  // make the call; flag: parenthesised
  op_logic,      // && or || (flag: the token type)
  op_compare,    // flag: the comparison's token type
  op_add,        // + (flag: the last operation of an assignment to its own left operand)
  op_subtract,
  op_multiply,
  op_divide,
  op_remainder,
  op_fail, // report `text` (flag: failplain, failstatement) and fail

  // Statements.
  op_target,     // an assignment target: the variable `text` (flag: targetselectors when
                 // selectors follow, targetcreate when "=" follows at once, targetcommand in
                 // a single command line)
  op_assign,     // store the value on top into the target
  op_reread,     // the line read again from its start as an expression (where a target is
                 // missing); reached in order, it does nothing
  op_discard,    // an expression statement ends: its value is not used
  op_context,    // expressions failing from here on report `text` (none when empty) and fail
                 // the statement (flag failstatement: no try block intercepts it)
  op_numeric,    // the value on top must be a number, else `text` (flag failstatement)
  op_opening,    // a block opens (`text` its keyword): the checks before anything runs
  op_closing,    // a block closes or divides (`text` the keyword, `number` the message)
  op_if,
  op_else,
  op_end,
  op_forto,      // `text` the loop variable; start and limit on the stack
  op_foreach,    // `text`: the loop variable's name, a blank, the list's name
  op_next,
  op_try,
  op_catch,
  op_repeat,
  op_until,
  op_do,
  op_while,
  op_parallel,
  op_empty, // a line without a statement
};

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
  int token;           // how many tokens of the line were read before it
  union {
    double number;
    char const* text;
  };
};

// What becomes of an instruction handed to a sink: the general way runs it (failed: the
// statement ends; absent: a target's variable is missing, so the line is read again as an
// expression), a compiled line keeps it (always emitted).
enum emitresult { emitted, failed, absent };

// How a name reads as an operand: a call of a registered function or of a script file, or a
// variable (or nothing at all, which only running the line can tell).
enum namekind : unsigned char { calledfunction, calledscript, variablename };

} // namespace vesk
