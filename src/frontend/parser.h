// parser.h - the grammar of a line, read once from its tokens by recursive descent. The parser
// owns its token cursor and hands the statement to a sink as instructions (code.h): run at once
// by the reference way, kept by a compiled line. Names are resolved through a resolver as they
// are read, since a function or script name takes the rest of the line as its arguments.
// Where the line's tokens say that running must stop (a syntax error, trailing tokens), the
// parser hands over an op_fail at that point, so that what ran before it still runs first.
#pragma once

#include "code.h"
#include "tokenizer.h"

namespace vesk {

// What a name is, asked when the parser reads it as an operand, `token` tokens into the line.
// The resolver keeps what it found for the op_callopen or op_variable that follows.
class resolver {
public:
  virtual namekind kindof(char const* name, int token) = 0;

protected:
  ~resolver() = default;
};

class sink {
public:
  virtual emitresult emit(instruction const& in) = 0;
  // Whether the instructions run as they come (the reference way): the parser then reads the
  // line again as an expression where a target turned out missing.
  virtual bool running() const = 0;

protected:
  ~sink() = default;
};

class parser {
public:
  parser(char const* line, resolver& names, sink& out);
  parser(parser const&) = delete;
  parser& operator=(parser const&) = delete;

  // Whether the line holds no statement (nothing but blanks and comments).
  bool empty() { return tokens.peektype() == endtoken; }
  // statement -> keyword-statement | target "=" boolterm | boolterm   (a line of a run)
  void statement();
  // command -> [name "="] boolterm   (a single command line: no blocks, no selectors)
  void command();
  // A whole expression (evaluate); false when it failed. `rest` tells whether tokens follow.
  bool expression(bool* rest);

private:
  // Tokens, counted so that every instruction knows where in the line it was read.
  tokentype take(token& t);
  void giveback(token const& t);
  tokentype peek();
  token const& peektoken();
  void restart();

  // Handing over instructions.
  bool emit(opcode code, unsigned char flag = 0);
  bool emittext(opcode code, char const* text, unsigned char flag = 0);
  bool emitnumber(opcode code, double number, unsigned char flag = 0);
  bool fail(char const* message, unsigned char flag = 0);
  emitresult put(instruction in);

  // Statements.
  bool keyword(char const* word);
  void assignment(token const& first);
  void expressionstatement();
  bool numericexpression(char const* invalid, char const* notnumeric);
  bool rightside();
  bool blockif();
  bool blockfor();
  bool blockforeach();
  bool blockforto(char const* name);
  bool blockuntil(opcode code, char const* keyword, char const* invalid, char const* notnumeric);

  // Expressions, weakest binding first.
  bool boolterm();
  bool comparison();
  bool factor();
  bool term();
  bool atom();
  bool operand(token& t);
  bool listliteral();
  bool name(token const& t);
  bool call(char const* name);
  bool arguments(bool parenthesised);
  bool selectors(bool target, char const* firstname);
  bool member(bool target, char* lastname);
  bool index(bool target);
  bool nested();

  tokenizer tokens;
  char const* line;
  resolver& names;
  sink& out;
  // Messages a failing expression of the statement adds: they must last as long as the
  // statement runs (the latest one at least).
  char messages[2][1024];
  int nextmessage = 0;
  int position = 0;       // tokens taken so far
  int depth = 0;          // parentheses, literals and indexes open
  int expressions = 0;    // whole expressions open, the statement's own counting as 1
  bool assigning = false; // the statement assigns to a plain variable (see op_add)
};

} // namespace vesk
