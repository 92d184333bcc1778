// linefacts.cpp - a sink and resolver for the engine's parser that keep what a line says
// instead of running it. A line is read as the check reads it: the assignment first, and once
// it is complete the parser's second reading as an expression no longer counts.
#include "linefacts.h"

#include <cstring>

#include "parser.h"

namespace cli {

namespace {

// Messages after which the token at the parser's position is the one it could not read; after
// the others it is the token just taken.
constexpr char const* stoppedbefore[] = {"Ausdruck nicht korrekt", "trailing something after",
                                         "Unbekannte Argumente"};
constexpr char const* missingbracket = "']' missing";

bool operandstart(placedtoken const& t) {
  return t.type == vesk::nametoken || t.type == vesk::quotedtoken || t.type == vesk::stringtoken ||
         t.type == vesk::integertoken || t.type == vesk::realtoken || ischar(t, '{');
}

class recorder final : public vesk::sink, public vesk::resolver {
public:
  recorder(std::vector<placedtoken> const& tokens, namejudge& judge, linefacts& facts)
      : tokens(tokens), judge(judge), facts(facts) {}

  bool running() const override { return false; }

  vesk::namekind kindof(char const* name, int token) override {
    return judge.kindof(name, token, tokens);
  }

  vesk::emitresult emit(vesk::instruction const& in) override {
    if (!done) take(in);
    return vesk::emitted;
  }

  // The assignment's target counts once the assignment is complete.
  void finish() {
    if (assigning && !target.empty()) use(0, targetrole, target);
  }

private:
  void take(vesk::instruction const& in) {
    switch (in.code) {
    case vesk::op_fail:
      failed(in.text, in.token);
      break;
    case vesk::op_indexclose:
      if (in.number != 0) failed(missingbracket, in.token); // running reports it there
      break;
    case vesk::op_context:
      facts.context = in.text;
      break;
    case vesk::op_target:
      if (target.empty()) {
        target = in.text;
        targetrole = (in.flag & vesk::targetcreate) != 0 ? namerole::assigned : namerole::read;
      }
      break;
    case vesk::op_assign:
      assigning = true;
      break;
    case vesk::op_reread:
      done = assigning;
      break;
    case vesk::op_variable:
    case vesk::op_chainbase:
      use(in.token - 1, namerole::read, in.text);
      break;
    case vesk::op_callopen:
      use(in.token - 1, namerole::called, in.text);
      break;
    case vesk::op_forto:
      use(1, namerole::loopvariable, in.text);
      break;
    case vesk::op_foreach:
      foreach (in.text)
        ;
      break;
    default:
      break;
    }
  }

  void failed(char const* message, int token) {
    done = true;
    facts.failed = true;
    facts.failure = message;
    bool before = false;
    for (char const* stopped : stoppedbefore)
      if (strncmp(message, stopped, strlen(stopped)) == 0) before = true;
    int at = before ? token : token - 1;
    int last = static_cast<int>(tokens.size()) - 1;
    facts.failtoken = at > last ? last : at < 0 && last >= 0 ? 0 : at;
  }

  // "NAME LIST" of a list loop: the words at tokens 2 and 4 ("for each NAME in LIST").
  void foreach (char const* names) {
    char const* blank = strchr(names, ' ');
    if (blank == nullptr) return;
    use(2, namerole::loopvariable, std::string(names, blank));
    use(4, namerole::looplist, blank + 1);
  }

  void use(int token, namerole role, std::string const& name) {
    if (token < 0 || token >= static_cast<int>(tokens.size())) return;
    for (nameuse const& known : facts.names)
      if (known.token == token) return;
    facts.names.push_back(nameuse{token, role, name});
  }

  std::vector<placedtoken> const& tokens;
  namejudge& judge;
  linefacts& facts;
  bool done = false, assigning = false;
  std::string target;
  namerole targetrole = namerole::read;
};

} // namespace

vesk::namekind shapejudge::kindof(char const*, int token, std::vector<placedtoken> const& tokens) {
  std::size_t next = static_cast<std::size_t>(token) + 1;
  if (next >= tokens.size()) return vesk::variablename;
  bool call = ischar(tokens[next], '(') || operandstart(tokens[next]);
  return call ? vesk::calledfunction : vesk::variablename;
}

linefacts readfacts(char const* line, std::vector<placedtoken> const& tokens, namejudge& judge) {
  linefacts facts;
  // "thread" alone divides a parallel block; it is never read as a statement.
  if (tokens.size() == 1 && isword(tokens[0], "thread")) return facts;
  recorder record(tokens, judge, facts);
  vesk::parser reader(line, record, record);
  if (reader.empty()) return facts;
  reader.statement();
  record.finish();
  return facts;
}

} // namespace cli
