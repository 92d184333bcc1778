// parser.cpp - the grammar of statements and expressions. Each function reads one construct
// and hands over its instructions in the order they run; a false return means that running
// stops here (the sink failed an instruction, or an op_fail was handed over). The checks of a
// construct come where the line's tokens reveal them, so that everything before still runs.
// Texts handed over live only until the sink returns: the sink copies what it keeps.
#include "parser.h"

#include <cstdio>
#include <cstring>

#include "languagelimits.h"
#include "platform.h"

namespace vesk {

namespace {

constexpr unsigned long stackreserve = 256 * 1024; // native stack kept free for the rest

bool ischar(token const& t, char c) {
  return t.type == chartoken && t.text[0] == c && t.text[1] == '\0';
}

bool comparisontoken(tokentype type) {
  return type >= eqtoken && type <= letoken;
}

// A statement's message with a name filled in.
struct message {
  message(char const* format, char const* name) { snprintf(text, sizeof text, format, name); }
  char text[messagesize];
};

// Copies at most `limit` characters of a token's text.
void keep(char* target, char const* text, int limit) {
  int n = static_cast<int>(strnlen(text, static_cast<size_t>(limit)));
  memcpy(target, text, static_cast<size_t>(n));
  target[n] = '\0';
}

} // namespace

parser::parser(char const* text, resolver& resolve, sink& to)
    : tokens(text, standardoptions), line(text), names(resolve), out(to) {}

tokentype parser::take(token& t) {
  ++position;
  return tokens.nexttoken(t);
}

void parser::giveback(token const& t) {
  --position;
  tokens.pushback(t);
}

tokentype parser::peek() {
  return tokens.peektype();
}

token const& parser::peektoken() {
  return tokens.peektoken();
}

void parser::restart() {
  tokens = tokenizer(line, standardoptions);
  position = 0;
}

emitresult parser::put(instruction in) {
  in.token = position;
  return out.emit(in);
}

bool parser::emit(opcode code, unsigned char flag) {
  instruction in{};
  in.code = code;
  in.flag = flag;
  return put(in) == emitted;
}

bool parser::emittext(opcode code, char const* text, unsigned char flag) {
  instruction in{};
  in.code = code;
  in.flag = flag;
  in.text = text;
  return put(in) == emitted;
}

bool parser::emitnumber(opcode code, double number, unsigned char flag) {
  instruction in{};
  in.code = code;
  in.flag = flag;
  in.number = number;
  return put(in) == emitted;
}

// Hands over a failure at this point of the line; running stops there.
bool parser::fail(char const* text, unsigned char flag) {
  emittext(op_fail, text, flag);
  return false;
}

// One more level of parentheses, literals or indexes, and enough native stack for it.
bool parser::nested() {
  if (depth < maxnesting && platform::stackroom() >= stackreserve) return true;
  return fail(msg_toodeep);
}

// --- statements ----------------------------------------------------------------------------

// statement -> keyword-statement | target "=" boolterm | boolterm. A keyword counts only as
// the first token of its line, as a name.
void parser::statement() {
  token first;
  tokentype type = take(first);
  if (type == endtoken) {
    emit(op_empty);
    return;
  }
  if (type == nametoken && keyword(first.text)) return;
  if (type == nametoken || type == stringtoken || type == quotedtoken) {
    assignment(first);
    return;
  }
  giveback(first);
  expressionstatement();
}

// An expression statement: its value is not used, and tokens after it end the run.
void parser::expressionstatement() {
  ++expressions;
  bool ok = boolterm();
  --expressions;
  if (!ok) return;
  if (peek() != endtoken) {
    fail(msg_trailing, failstatement | failalone);
    return;
  }
  emit(op_discard);
}

// A line that starts with a name (or a text used as one) assigns when its target is followed
// by "=". The target is read first, its selectors in place; a missing variable is made only
// when "=" follows its name at once. Otherwise the line is read again from its start as an
// expression: at once when running, and in a compiled line after the assignment, where the
// target's op_target goes when its variable turns out missing.
void parser::assignment(token const& first) {
  unsigned char flag = 0;
  if (peek() == assigntoken)
    flag = targetcreate;
  else if (peek() == chartoken && (ischar(peektoken(), '.') || ischar(peektoken(), '[')))
    flag = targetselectors;
  instruction in{};
  in.code = op_target;
  in.flag = flag;
  in.text = first.text;
  emitresult found = put(in);
  if (found == failed) return;
  bool reached = found == emitted && selectors(true, first.text);
  if (reached && peek() == assigntoken) {
    token equals;
    take(equals);
    assigning = flag == targetcreate;
    rightside();
    assigning = false;
    if (out.running()) return;
  } else if (out.running() && found == emitted && !reached) {
    return; // the target's selectors failed: the statement fails with them
  }
  restart();
  if (!emit(op_reread)) return;
  expressionstatement();
}

// The right side of an assignment, and the assignment.
bool parser::rightside() {
  if (!emittext(op_context, "invalid expression following '='")) return false;
  ++expressions;
  bool ok = boolterm();
  --expressions;
  if (!ok) return false;
  if (peek() != endtoken) return fail(msg_trailing, failalone);
  return emit(op_assign);
}

// Reads the rest of a block statement; false when the word is no keyword.
bool parser::keyword(char const* word) {
  struct block {
    char const* word;
    opcode code;
    bool opens;
  };
  static constexpr block blocks[] = {
      {"if", op_if, true},        {"else", op_else, false},    {"end", op_end, false},
      {"for", op_forto, true},    {"next", op_next, false},    {"try", op_try, true},
      {"catch", op_catch, false}, {"repeat", op_repeat, true}, {"until", op_until, false},
      {"do", op_do, true},        {"while", op_while, false},  {"parallel", op_parallel, true},
  };
  for (block const& b : blocks) {
    if (b.word[0] != word[0] || strcmp(b.word, word) != 0) continue;
    if (b.opens && !emittext(op_opening, b.word)) return true;
    switch (b.code) {
    case op_if:
      blockif();
      break;
    case op_forto:
      blockfor();
      break;
    case op_until:
      blockuntil(op_until, "until", "invalid expression (following 'until')",
                 "expression following 'until' is not numeric");
      break;
    case op_while:
      blockuntil(op_while, "while", "invalid expression (following 'while')",
                 "expression following 'while' is not numeric");
      break;
    default:
      emit(b.code);
      break;
    }
    return true;
  }
  return false;
}

// An expression that must give a number, with the messages of the block statement it belongs
// to; no try block intercepts its failure.
bool parser::numericexpression(char const* invalid, char const* notnumeric) {
  char* kept = messages[nextmessage++ % 2];
  keep(kept, invalid, messagesize - 1);
  if (!emittext(op_context, kept, failstatement)) return false;
  ++expressions;
  bool ok = boolterm();
  --expressions;
  return ok && emittext(op_numeric, notnumeric, failstatement | failalone);
}

// if -> "if" boolterm
bool parser::blockif() {
  return numericexpression("invalid expression following 'if'",
                           "expression following 'if' is not numeric") &&
         emit(op_if);
}

// until -> "until" boolterm; while -> "while" boolterm. The block closes before its condition
// is read.
bool parser::blockuntil(opcode code, char const* keyword, char const* invalid,
                        char const* notnumeric) {
  return emittext(op_closing, keyword) && numericexpression(invalid, notnumeric) && emit(code);
}

// for -> "for" name "=" boolterm "to" boolterm | "for" "each" name "in" name
bool parser::blockfor() {
  token name;
  if (take(name) != nametoken)
    return fail("variable name or keyword 'each' expected (following 'for')",
                failstatement | failalone);
  if (strcmp(name.text, "each") == 0) return blockforeach();
  if (strlen(name.text) > maxloopnamelen) return fail(msg_loopname, failstatement | failalone);
  return blockforto(name.text);
}

bool parser::blockforto(char const* name) {
  char variable[maxloopnamelen + 1];
  keep(variable, name, maxloopnamelen);
  token t;
  if (take(t) != assigntoken)
    return fail(message("'=' expected (following 'for %s')", variable).text,
                failstatement | failalone);
  if (!numericexpression(message("invalid expression (following 'for %s=')", variable).text,
                         message("expression following 'for %s=' is not numeric", variable).text))
    return false;
  if (take(t) != nametoken || strcmp(t.text, "to") != 0)
    return fail(message("'to' expected (following 'for %s=..')", variable).text,
                failstatement | failalone);
  if (!numericexpression(
          message("invalid expression following 'for %s=... to'", variable).text,
          message("expression following 'for %s=... to' is not numeric", variable).text))
    return false;
  return emittext(op_forto, variable);
}

// The names of a list loop: the list is looked up, and both names' lengths are checked, as
// the loop starts.
bool parser::blockforeach() {
  token variable, t;
  if (take(variable) != nametoken)
    return fail("variable name expected (following 'for each')", failstatement | failalone);
  char name[maxtokentext + 1];
  keep(name, variable.text, maxtokentext);
  if (take(t) != nametoken || strcmp(t.text, "in") != 0)
    return fail(message("'in' expected (following 'for each %s')", name).text,
                failstatement | failalone);
  if (take(t) != nametoken)
    return fail(message("list expected (following 'for each %s in')", name).text,
                failstatement | failalone);
  char names[2 * maxtokentext + 2];
  snprintf(names, sizeof names, "%s %s", name, t.text);
  return emittext(op_foreach, names);
}

// command -> [(name | string | quoted) "="] boolterm   (no blocks, no selectors)
void parser::command() {
  token first, second;
  tokentype type = take(first);
  bool assignment = false;
  if (type == nametoken || type == stringtoken || type == quotedtoken) {
    if (take(second) == assigntoken) {
      assignment = true;
      if (!emittext(op_target, first.text, targetcommand)) return;
    } else {
      giveback(second);
      giveback(first);
    }
  } else {
    giveback(first);
  }
  ++expressions;
  bool ok = boolterm();
  --expressions;
  if (!ok) return;
  if (peek() != endtoken) {
    fail("Unbekannte Argumente oder Operatoren nach Kommando", failstatement | failalone);
    return;
  }
  emit(assignment ? op_assign : op_discard, targetcommand);
}

bool parser::expression(bool* rest) {
  ++expressions;
  bool ok = boolterm();
  --expressions;
  *rest = peek() != endtoken;
  return ok;
}

// --- expressions ---------------------------------------------------------------------------

// boolterm -> comparison { ("&&" | "||") comparison }
bool parser::boolterm() {
  if (!comparison()) return false;
  for (;;) {
    tokentype type = peek();
    if (type != andtoken && type != ortoken) return true;
    token t;
    take(t);
    if (!comparison() || !emit(op_logic, static_cast<unsigned char>(type))) return false;
  }
}

// comparison -> factor { compareop factor }
bool parser::comparison() {
  if (!factor()) return false;
  for (;;) {
    tokentype type = peek();
    if (!comparisontoken(type)) return true;
    token t;
    take(t);
    if (!factor() || !emit(op_compare, static_cast<unsigned char>(type))) return false;
  }
}

// factor -> term { ("+" | "-") term }. A "+" that is the last operation of the whole right
// side of an assignment to a plain variable is marked: it may extend that variable in place.
bool parser::factor() {
  if (!term()) return false;
  for (;;) {
    tokentype type = peek();
    if (type != plustoken && type != minustoken) return true;
    token t;
    take(t);
    if (!term()) return false;
    bool last = assigning && expressions == 1 && type == plustoken && peek() == endtoken;
    if (!emit(type == plustoken ? op_add : op_subtract, last ? addlast : 0)) return false;
  }
}

// term -> atom { ("*" | "/" | "%") atom }
bool parser::term() {
  if (!atom()) return false;
  for (;;) {
    tokentype type = peek();
    if (type != multoken && type != divtoken && type != modtoken) return true;
    token t;
    take(t);
    if (!atom()) return false;
    opcode code = type == multoken ? op_multiply : type == divtoken ? op_divide : op_remainder;
    if (!emit(code)) return false;
  }
}

// atom -> "{" list | [prefix] ( "(" boolterm ")" | number | string | name [selectors] ). At most
// one prefix: "-" negates a number, "+" and "!" change nothing.
bool parser::atom() {
  if (platform::stackroom() < stackreserve) return fail(msg_toodeep);
  token t;
  tokentype type = take(t);
  if (ischar(t, '{')) {
    if (!nested()) return false;
    ++depth;
    bool ok = listliteral();
    --depth;
    return ok;
  }
  bool minus = false;
  if (type == minustoken || type == plustoken || ischar(t, '!')) {
    minus = type == minustoken;
    take(t);
  }
  if (!operand(t)) return false;
  return !minus || emit(op_negate);
}

bool parser::operand(token& t) {
  switch (t.type) {
  case integertoken:
    return emitnumber(op_number, t.integer);
  case realtoken:
    return emitnumber(op_number, t.real);
  case stringtoken:
    return emittext(op_text, t.text);
  case nametoken:
  case quotedtoken:
    return name(t);
  default:
    break;
  }
  if (ischar(t, '(')) {
    if (!nested()) return false;
    ++depth;
    ++expressions;
    bool ok = boolterm();
    --expressions;
    --depth;
    if (!ok) return false;
    take(t);
    if (ischar(t, ')')) return true;
    return fail("closing ')' expected", failplain);
  }
  giveback(t);
  return fail(msg_syntax);
}

// listliteral -> "{" { [name "="] boolterm [","] } "}"   (after the "{" has been read). The
// first element decides whether the literal is a list or a named list.
bool parser::listliteral() {
  if (!emit(op_listopen)) return false;
  int elements = 0;
  bool named = false;
  token t, after;
  for (;;) {
    tokentype type = take(t);
    if (ischar(t, '}')) break;
    char elementname[maxtokentext + 1] = "";
    bool isnamed = false;
    if (type == nametoken && take(after) == assigntoken) {
      isnamed = true;
      keep(elementname, t.text, maxtokentext);
    } else {
      if (type == nametoken) giveback(after);
      giveback(t);
    }
    ++expressions;
    bool ok = boolterm();
    --expressions;
    if (!ok) return false;
    if (elements++ == 0)
      named = isnamed;
    else if (named != isnamed)
      return fail("mix of named and unnamed elements not allowed");
    if (!emittext(op_element, elementname, isnamed ? 1 : 0)) return false;
    take(after);
    if (!ischar(after, ',')) giveback(after);
  }
  return emit(op_listclose);
}

// A name: an element chain when "." or "[" follows; else a function, a script or a variable,
// as the resolver says.
bool parser::name(token const& t) {
  if (peek() == chartoken && (ischar(peektoken(), '.') || ischar(peektoken(), '['))) {
    char base[maxtokentext + 1];
    keep(base, t.text, maxtokentext);
    return emittext(op_chainbase, base) && selectors(false, base) && emit(op_chainend);
  }
  if (names.kindof(t.text, position - 1) == variablename) return emittext(op_variable, t.text);
  return call(t.text);
}

// call -> name ( "(" arguments ")" | arguments-to-the-end-of-the-line )
bool parser::call(char const* name) {
  if (!emittext(op_callopen, name)) return false;
  token open;
  take(open);
  bool parenthesised = ischar(open, '(');
  if (!parenthesised) giveback(open);
  return arguments(parenthesised) && emit(op_callclose, parenthesised ? 1 : 0);
}

// arguments -> { [name "="] boolterm [","] }, up to ")" or the end of the line.
bool parser::arguments(bool parenthesised) {
  token t, after;
  for (;;) {
    tokentype type = take(t);
    if (parenthesised ? ischar(t, ')') : type == endtoken) return true;
    char argname[maxargnamelen + 1] = "";
    if (type == nametoken && take(after) == assigntoken) {
      keep(argname, t.text, maxargnamelen);
    } else {
      if (type == nametoken) giveback(after);
      giveback(t);
    }
    ++expressions;
    bool ok = boolterm();
    --expressions;
    if (!ok) return false;
    take(after);
    if (!ischar(after, ',')) giveback(after);
    if (!emittext(op_argument, argname)) return false;
  }
}

// selectors -> { "." (name | string) | "[" factor "]" }
bool parser::selectors(bool target, char const* firstname) {
  char lastname[maxtokentext + 1];
  keep(lastname, firstname, maxtokentext);
  for (;;) {
    if (peek() != chartoken) return true;
    token const& t = peektoken();
    bool ismember = ischar(t, '.');
    if (!ismember && !ischar(t, '[')) return true;
    token skipped;
    take(skipped);
    if (!(ismember ? member(target, lastname) : index(target))) return false;
  }
}

// "." member: the value before it is checked first (reporting the name read last), then the
// member name, which must be a plain name or a text in double quotes.
bool parser::member(bool target, char* lastname) {
  unsigned char flag = target ? selecttarget : 0;
  if (!emittext(op_member, lastname, static_cast<unsigned char>(flag | memberbefore))) return false;
  token name;
  tokentype type = take(name);
  if (type != nametoken && type != stringtoken) return fail("string oder name erwartet (nach '.')");
  keep(lastname, name.text, maxtokentext);
  return emittext(op_member, name.text, flag);
}

// "[" factor "]": the index is an additive expression; comparisons need parentheses.
bool parser::index(bool target) {
  unsigned char flag = target ? selecttarget : 0;
  if (!emit(op_indexopen, flag) || !nested()) return false;
  ++depth;
  bool ok = factor();
  --depth;
  if (!ok) return false;
  token close;
  take(close);
  bool missing = !ischar(close, ']');
  return emitnumber(op_indexclose, missing ? 1 : 0, flag) && !missing;
}

} // namespace vesk
