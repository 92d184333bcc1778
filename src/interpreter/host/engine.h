// engine.h - the working state of an interpreter, behind vesk::interpreter: an engine that
// runs lines (runengine.h) and takes the host's calls: runs of lines, single lines, evaluations,
// scripts and functions by name, checks and listings, and the settings between them.
// Invariant: one host's call runs in a family at a time (begincall marks it, endcall clears
// it), and the store it uses is marked as this family's for that long.
#pragma once

#include "runengine.h"

namespace vesk {

class engine final : public runengine {
public:
  engine(variables* store, logfunc logto, family* join);
  ~engine() override;

  // --- entry points of the host (entrypoints.cpp; interpreter.cpp forwards to them) ---
  bool execute(char const** lines, int count, char const* name);
  bool execute(char const* name, parameters* params);
  bool execute(char const* line, char const* name);
  variable* evaluate(char const* text);
  int check(char const** lines, int count, char const* name, int* warnings);
  int list(char const** lines, int count, char const* name);
  void listtier(compiledline const& line, instruction const* code, int count);

  // --- settings (interpreter.cpp) ---
  void setlogfunc(logfunc log);
  void setscriptpath(char const* path1, char const* path2);
  int cmdsindex() const;
  void setstatementlimit(long long statements);
  void stop();
  void sethook(interpreter* owner, statementhook hook, void* data);
  void seterrorhook(interpreter* owner, errorhook hook, void* data);
  engine* twin() const;
  void forget(interpreter* owner);

  // --- a host's call (hostcall.cpp) ---
  bool begincall();
  void endcall();
  void misuse(char const* text);
  bool refused(char const* name, char const** lines, int count);
  bool refusedinpause(char const* call);

  bool ownsshared = false;       // this engine holds a share of `shared`
  variables* marked = nullptr;   // the store marked in use for a host's call
  family* outerfamily = nullptr; // the family this thread ran before the host's call
};

} // namespace vesk
