// opcodes.h - the instruction set, described once: every instruction with its name (as the
// listing shows it), what its operand field holds, and its effect on the operand stack (values
// pushed minus values popped; `varies` where the operand or what ran before decides it, as the
// comment beside it says). The enum, the listing's names, the compiler's bookkeeping of texts
// and sites and the check's count of operands are all made from this table.
#pragma once

namespace vesk {

// What an instruction's operand holds.
enum operandkind : unsigned char {
  nooperand,
  numberoperand, // `number`
  textoperand,   // `text`, kept with the compiled line
  nameoperand,   // `text`, a name whose compiled line keeps a site (`site`) of what it finds
};

// The two tiers: general instructions run every statement; quick ones run a compiled line's
// statement on numbers alone and give it to its general instructions at the first value that
// is no number (a guard), before anything has changed.
enum opcodetier : unsigned char { generaltier, quicktier };

constexpr int varies = 100; // the effect depends on the instruction's operand or on its context

// X(name, operand, effect, tier)
#define VESK_OPCODES(X)                                                                            \
  /* Operands and operators of expressions. */                                                     \
  X(number, numberoperand, 1, generaltier)  /* push `number` */                                    \
  X(text, textoperand, 1, generaltier)      /* push the text `text` */                             \
  X(negate, nooperand, 0, generaltier)      /* a prefix minus: negate a number on top */           \
  X(variable, nameoperand, 1, generaltier)  /* push the variable `text`, or fail: unknown */       \
  X(chainbase, nameoperand, 0, generaltier) /* a chain begins at the variable `text` */            \
  /* "." `text` (flag selecttarget: of the target; memberbefore: the check of the value            \
     before the "." only, which keeps no site). An operand chain's first selector pushes the       \
     chain's one value, later ones write over it. */                                               \
  X(member, nameoperand, varies, generaltier)                                                      \
  X(indexopen, nooperand, 0, generaltier) /* "[": the current value must be a list */              \
  /* "]": the index on top selects the element (`number` 1: the "]" was missing); an operand       \
     chain pushes its value at its first selector. */                                              \
  X(indexclose, numberoperand, varies, generaltier)                                                \
  X(chainend, nooperand, varies, generaltier) /* the chain's value replaces what it pushed */      \
  X(listopen, nooperand, 0, generaltier)      /* "{": a list literal begins */                     \
  X(element, textoperand, -1, generaltier)    /* the value on top joins the literal (named         \
                                                 `text` when flag 1) */                            \
  X(listclose, nooperand, 1, generaltier)     /* "}": push the literal's list */                   \
  X(callopen, nameoperand, 0, generaltier)    /* a call of the function or script `text` */        \
  X(argument, textoperand, 0, generaltier)    /* the value on top is an argument (named `text`     \
                                                 when not empty); it stays on the stack */         \
  /* Make the call (flag: parenthesised): a function's arguments give way to its result; a         \
     script call's arguments stay, its value being the last one. */                                \
  X(callclose, nooperand, varies, generaltier)                                                     \
  X(logic, nooperand, -1, generaltier)   /* && or || (flag: the token type) */                     \
  X(compare, nooperand, -1, generaltier) /* flag: the comparison's token type */                   \
  X(add, nooperand, -1, generaltier)     /* + (flag addlast: see below) */                         \
  X(subtract, nooperand, -1, generaltier)                                                          \
  X(multiply, nooperand, -1, generaltier)                                                          \
  X(divide, nooperand, -1, generaltier)                                                            \
  X(remainder, nooperand, -1, generaltier)                                                         \
  X(fail, textoperand, 0, generaltier) /* report `text` (flags failplain, failstatement,           \
                                          failalone) and fail */                                   \
  /* Statements. */                                                                                \
  X(target, nameoperand, 0, generaltier)     /* an assignment's target: the variable `text`        \
                                                (flags targetselectors, targetcreate,              \
                                                targetcommand) */                                  \
  X(assign, nooperand, -1, generaltier)      /* store the value on top into the target */          \
  X(reread, nooperand, varies, generaltier)  /* the line read again as an expression: the          \
                                                operand stack starts empty */                      \
  X(discard, nooperand, varies, generaltier) /* an expression statement ends: its value goes */    \
  X(context, textoperand, 0, generaltier)    /* failures from here on report `text` (flag          \
                                                failstatement: no try intercepts them) */          \
  X(numeric, textoperand, 0, generaltier)    /* the value on top must be a number, else            \
                                                `text` */                                          \
  X(opening, textoperand, 0, generaltier)    /* a block opens (`text` its keyword) */              \
  X(closing, textoperand, 0, generaltier)    /* a block closes or divides (`text`) */              \
  X(if, nooperand, -1, generaltier)                                                                \
  X(else, nooperand, 0, generaltier)                                                               \
  X(end, nooperand, 0, generaltier)                                                                \
  X(forto, textoperand, -2, generaltier)  /* `text` the loop variable; start and limit */          \
  X(foreach, textoperand, 0, generaltier) /* `text`: the variable, a blank, the list */            \
  X(next, nooperand, 0, generaltier)                                                               \
  X(try, nooperand, 0, generaltier)                                                                \
  X(catch, nooperand, 0, generaltier)                                                              \
  X(repeat, nooperand, 0, generaltier)                                                             \
  X(until, nooperand, -1, generaltier)                                                             \
  X(do, nooperand, 0, generaltier)                                                                 \
  X(while, nooperand, -1, generaltier)                                                             \
  X(parallel, nooperand, 0, generaltier)                                                           \
  X(empty, nooperand, 0, generaltier) /* a line without a statement */                             \
  /* The quick tier: numbers only, every name at its site. */                                      \
  X(qnumber, numberoperand, 1, quicktier)    /* push `number` */                                   \
  X(qvariable, nooperand, 1, quicktier)      /* push the number of the variable of `site` */       \
  X(qelement, nooperand, 0, quicktier)       /* the index on top becomes the number at that        \
                                                index of the list of `site` */                     \
  X(qelements, nooperand, varies, quicktier) /* the `second` indices on top give way to the        \
                                                number they reach, one level each, from the list   \
                                                of `site` (1 - second) */                          \
  X(qmember, nooperand, 1, quicktier)        /* push the number of member site `second` of the     \
                                                named list of `site` */                            \
  X(qcall, nooperand, varies, quicktier)     /* the `second` numbers on top give way to the        \
                                                value of the function of `site` (1 - second) */    \
  X(qnegate, nooperand, 0, quicktier)                                                              \
  X(qadd, nooperand, -1, quicktier)                                                                \
  X(qsubtract, nooperand, -1, quicktier)                                                           \
  X(qmultiply, nooperand, -1, quicktier)                                                           \
  X(qdivide, nooperand, -1, quicktier)                                                             \
  X(qremainder, nooperand, -1, quicktier)                                                          \
  X(qcompare, nooperand, -1, quicktier)       /* flag: the comparison's token type */              \
  X(qassign, nooperand, -1, quicktier)        /* the number on top into the variable of `site` */  \
  X(qassignelement, nooperand, -2, quicktier) /* the number on top into the element at the         \
                                                 index below it of the list of `site` */           \
  X(qassignelements, nooperand, varies, quicktier) /* the number on top into the element that      \
                                                      the `second` indices below it reach from     \
                                                      the list of `site` (-1 - second) */          \
  X(qassignmember, nooperand, -1, quicktier)       /* the number on top into member site `second`  \
                                                      of the named list of `site` */               \
  X(qif, nooperand, -1, quicktier)                                                                 \
  X(quntil, nooperand, -1, quicktier)                                                              \
  X(qwhile, nooperand, -1, quicktier)                                                              \
  X(qnext, nooperand, 0, quicktier)                                                                \
  X(qend, nooperand, 0, quicktier)                                                                 \
  X(qelse, nooperand, 0, quicktier)                                                                \
  X(qrepeat, nooperand, 0, quicktier)                                                              \
  X(qdo, nooperand, 0, quicktier)

enum opcode : unsigned char {
#define VESK_OPCODE_ENUM(name, operand, effect, tier) op_##name,
  VESK_OPCODES(VESK_OPCODE_ENUM)
#undef VESK_OPCODE_ENUM
};

// What the table says of one instruction.
struct opcodeinfo {
  char const* name;
  operandkind operand;
  int effect; // or varies
  opcodetier tier;
};

constexpr opcodeinfo opcodes[] = {
#define VESK_OPCODE_INFO(name, operand, effect, tier) {#name, operand, effect, tier},
    VESK_OPCODES(VESK_OPCODE_INFO)
#undef VESK_OPCODE_INFO
};

constexpr opcodeinfo const& describe(opcode code) {
  return opcodes[code];
}

} // namespace vesk
