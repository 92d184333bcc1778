// compiler.cpp - compiling a line: the parser reads it once more and hands its instructions to
// a sink that keeps them instead of running them, with copies of the texts they name and a
// site for every name. A line compiled again in the middle of a run (a name changed kind after
// a call) keeps the kinds its names had before that point, so that its instructions up to
// there are the same as those already run.
#include <cstdlib>
#include <cstring>
#include <new>

#include "codebook.h"
#include "compiledlines.h"
#include "family.h"
#include "fastpaths.h"
#include "parser.h"
#include "quick.h"
#include "scriptcache.h"
#include "scripttexts.h"

namespace vesk {

namespace {

// A line whose first name is followed by neither "=" nor a selector is read again as an
// expression from its start, whatever the target reading found: that reading does nothing and
// goes, so that a command line like `name arguments` does not look its name up as a variable.
void dropidletarget(compiledline& line) {
  if (line.count < 2 || line.code[0].code != op_target || line.code[0].flag != 0 ||
      line.code[1].code != op_reread)
    return;
  memmove(line.code, line.code + 1, sizeof(instruction) * static_cast<size_t>(line.count - 1));
  --line.count;
  line.reread = 0;
}

class compiler final : public sink, public resolver {
public:
  compiler(compiledlines& machine, compiledline const* before, int boundary)
      : machine(machine), before(before), boundary(boundary) {}
  ~compiler() {
    free(code);
    free(textoffsets);
    free(texts);
    for (int i = 0; i < sitecount; ++i)
      if (sites[i].script != nullptr) releasescripttext(sites[i].script);
    free(sites);
    if (pending.script != nullptr) releasescripttext(pending.script);
  }

  emitresult emit(instruction const& in) override;
  bool running() const override { return false; }
  namekind kindof(char const* name, int token) override;
  compiledline* finish();

private:
  bool keeptext(char const* text, int* offset);

  compiledlines& machine;
  compiledline const* before; // a line compiled before, whose kinds stand before `boundary`
  int boundary;
  instruction* code = nullptr;
  int* textoffsets = nullptr;
  int count = 0, capacity = 0;
  site* sites = nullptr;
  int sitecount = 0, sitecapacity = 0;
  char* texts = nullptr;
  int textsize = 0, textcapacity = 0;
  resolution pending{};
  int pendingtoken = 0;
  bool resolves = false;
  bool broken = false; // memory ran out
};

bool compiler::keeptext(char const* text, int* offset) {
  int n = static_cast<int>(strlen(text)) + 1;
  if (textsize + n > textcapacity) {
    int larger = textcapacity ? textcapacity * 2 : 256;
    while (larger < textsize + n) larger *= 2;
    void* grown = realloc(texts, static_cast<size_t>(larger));
    if (grown == nullptr) return false;
    texts = static_cast<char*>(grown);
    textcapacity = larger;
  }
  memcpy(texts + textsize, text, static_cast<size_t>(n));
  *offset = textsize;
  textsize += n;
  return true;
}

// The kind a name had in the line compiled before, when it lies before the boundary; else
// what it is now. A script the last name resolved to that no site took (memory ran out before
// its instruction was kept) is let go.
namekind compiler::kindof(char const* name, int token) {
  resolves = true;
  pendingtoken = token;
  if (pending.script != nullptr) releasescripttext(pending.script);
  pending.script = nullptr;
  if (before != nullptr && token < boundary) {
    for (int i = 0; i < before->sitecount; ++i) {
      site const& old = before->sites[i];
      if (old.token != token || !old.resolved) continue;
      pending.kind = old.kind;
      pending.function = old.function;
      pending.script = old.script;
      pending.kept = old.kept;
      if (pending.script != nullptr) usescripttext(pending.script);
      copytext(pending.path, old.path, maxpathlen);
      return old.kind;
    }
  }
  return machine.resolve(name, &pending);
}

emitresult compiler::emit(instruction const& in) {
  if (broken) return emitted;
  if (!growopen(code, count, capacity)) {
    broken = true;
    return emitted;
  }
  void* grown = realloc(textoffsets, sizeof(int) * static_cast<size_t>(capacity));
  if (grown == nullptr) {
    broken = true;
    return emitted;
  }
  textoffsets = static_cast<int*>(grown);
  instruction& kept = code[count];
  kept = in;
  textoffsets[count] = -1;
  if (keepstext(in) && in.text != nullptr && !keeptext(in.text, &textoffsets[count])) {
    broken = true;
    return emitted;
  }
  if (keepssite(in)) {
    if (sitecount >= 0xffff || !growopen(sites, sitecount, sitecapacity)) {
      broken = true;
      return emitted;
    }
    site& s = sites[sitecount];
    new (&s) site{};
    s.token = in.token;
    s.kind = variablename;
    if (in.code == op_callopen || in.code == op_variable) {
      s.resolved = true;
      s.kind = pending.kind;
      s.token = pendingtoken;
      s.function = pending.function;
      if (fastpaths()) s.numeric = machine.numericof(pending.function);
      s.script = pending.script;
      s.kept = pending.kept;
      pending.script = nullptr;
      copytext(s.path, pending.path, maxpathlen);
    }
    kept.site = static_cast<unsigned short>(sitecount++);
  }
  ++count;
  return emitted;
}

// The compiled line, its texts in one block; null without memory.
compiledline* compiler::finish() {
  if (broken) return nullptr;
  auto* line = new (std::nothrow) compiledline;
  if (line == nullptr) return nullptr;
  line->sites = new (std::nothrow) site[static_cast<size_t>(sitecount > 0 ? sitecount : 1)];
  if (line->sites == nullptr) {
    delete line;
    return nullptr;
  }
  line->code = code;
  line->count = count;
  line->texts = texts;
  code = nullptr;
  texts = nullptr;
  for (int i = 0; i < count; ++i) {
    instruction& in = line->code[i];
    if (textoffsets[i] >= 0) in.text = line->texts + textoffsets[i];
    if (in.code == op_reread) line->reread = i;
    if (in.code == op_empty) line->empty = true;
  }
  for (int i = 0; i < sitecount; ++i) line->sites[i] = sites[i];
  for (int i = 0; i < count; ++i) {
    instruction const& in = line->code[i];
    if (!keepssite(in)) continue;
    site& s = line->sites[in.site];
    s.name = in.text;
    s.bit = namebit(in.text);
  }
  dropidletarget(*line);
  line->sitecount = sitecount;
  sitecount = 0; // the uses of scripts now belong to the line
  line->resolves = resolves;
  notescripts(*line);
  return line;
}

} // namespace

// Compiles the statement of `text`; null without memory. With `before`, the names read before
// `boundary` tokens keep the kinds they had in that line.
compiledline* compiledlines::compile(char const* text, compiledline const* before, int boundary) {
  unsigned long long registrygen = shared->registrygeneration;
  unsigned long long scriptsgen = scriptsgenerationnow();
  unsigned long long pathsgen = shared->pathsgeneration;
  compiler keeper(*this, before, boundary);
  parser reader(text, keeper, keeper);
  reader.statement();
  compiledline* line = keeper.finish();
  if (line == nullptr) return nullptr;
  line->registry = registrygen;
  line->scripts = scriptsgen;
  line->paths = pathsgen;
  makequick(*line); // none without memory: the line runs its general instructions
  return line;
}

} // namespace vesk
