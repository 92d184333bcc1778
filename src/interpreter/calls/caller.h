// caller.h - what a name calls: the registry of functions (shared by a family, counted by the
// host's interpreters holding it), the script files in reach (beside the running script, then
// in the two script folders), and the calls a statement has open, each with the parameter list
// it builds from its arguments. Invariant: a name resolves the same way wherever it is asked
// (resolve), and an open call holds a use of the script text it will run until it is closed.
#pragma once

#include <cstdio>

#include "machine.h"

namespace vesk {

class scriptmemo;
struct scripttext;
struct registry;

// The numbers-only form of a function: its value for `count` numbers, or false when it is not
// defined for them (the function itself then runs, and reports why).
typedef bool (*numericfunc)(double const* numbers, int count, double* result);

// A call whose arguments are being read: its parameter list, what it calls, and how deep the
// operand stack was before its arguments.
struct opencall {
  parameters params; // its blocks from the family's recycler; made only when `built`
  bool built;
  numericfunc numeric; // the function's numbers-only form, while its arguments allow it
  int numbers;         // arguments so far, each an operand of its own
  scriptfunc function;
  scripttext* script;
  char name[maxpathlen + 1];
  int depth;
};

// What a name read as an operand resolved to, for the call or variable that follows.
struct resolution {
  namekind kind;
  scriptfunc function;
  scripttext* script;
  bool kept; // the script's text is kept: the listings say when it changes
  char path[maxpathlen + 1];
};

class caller : public machine {
public:
  caller(registry* registryof, variables* store, logfunc logto);
  ~caller() override;

  // --- what a name is (resolve.cpp) ---
  namekind resolve(char const* name, resolution* found);

  // --- calls (calls.cpp) ---
  bool callopen(scriptfunc function, scripttext* script, char const* name,
                numericfunc numeric = nullptr);
  emitresult namedcall(char const* name);
  bool buildparameters(opencall& call);
  bool callnumeric(opencall& call, bool* done);
  bool callargument(char const* name);
  bool callclose();
  bool lacksvalue(opcode next);
  bool callfunction(opencall& call);
  bool callguarded(scriptfunc function, parameters* params, vesk::logfunc logto);
  void reportunused(parameters* params, char const* name);
  void closecall(opencall& call);
  // Runs a script text as a call, `depth` calls below the host's (the nested engines do).
  virtual bool runtext(scripttext* script, callframe& callee, char const* scriptpath,
                       int depth) = 0;

  // --- the registry (registry.cpp) and extension libraries (libraries.cpp) ---
  // What registering a function came to: registered, refused (no function, a name that is
  // taken or cannot be one), or no memory for it.
  enum class enrolled { added, refused, nomemory };
  enrolled enroll(scriptfunc func, char const* name);
  bool add(scriptfunc func, char const* name); // enroll, and report when memory ran out
  bool add(char const* libraryname);
  bool addfromlibrary(scriptfunc func, char const* name, char const* base);
  scriptfunc findfunc(char const* name);
  bool addnumeric(scriptfunc func, numericfunc numeric);
  numericfunc numericof(scriptfunc func);
  void shareregistry(caller const& other);
  void releaseregistry();

  // --- script files (scriptfiles.cpp) ---
  FILE* findscript(char const* name);
  bool outofreach(char const* name);
  scripttext* knownscript(char const* name);
  bool noscript(char const* name);
  scripttext* readscript(FILE* file, char const* path, bool report);
  scripttext* openscript(FILE* file, char const* path, bool* kept, bool report);
  scripttext* readcalled(char const* path);

  registry* funcs;
  bool ownsfuncs = false; // this engine holds a share of the registry (a host's interpreter)
  char scriptpath1[maxdirlen + 1] = "";
  char scriptpath2[maxdirlen + 1] = "";
  char foundpath[maxpathlen + 1] = "";
  scriptmemo* absentscripts = nullptr; // names found to be no script file
  int calldepth = 0;                   // script calls between the host's call and this engine
  bool scriptfailed = false;           // the failing statement's script call failed

  opencall* calls = nullptr;
  int callcount = 0;
  int callcapacity = 0;
  resolution pending{}; // what the parser's last name resolved to (the reference way)
  bool threw = false;   // the function called last threw an exception
  bool novalue = false; // the call that closed last left no value (see lacksvalue)
  char novaluename[maxpathlen + 1] = "";
};

} // namespace vesk
