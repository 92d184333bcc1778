// vesk.h - the public interface of the vesk script engine (libveskdll).
// A host builds a global store (variables), constructs an interpreter over it, registers
// functions and runs scripts; values travel as fixed-size `variable` records. This header
// compiles on its own as C++17 and later and is all a host or an extension library needs.
#ifndef VESK_H
#define VESK_H

#include <cstdio>

#if defined(_WIN32)
#if defined(VESK_BUILDING_LIBRARY)
#define VESK_API __declspec(dllexport)
#else
#define VESK_API __declspec(dllimport)
#endif
#else
#define VESK_API __attribute__((visibility("default")))
#endif

class linearallocater;

namespace vesk {

class variable;
class variables;
class parameters;
class stack;
class interpreter;
class engine;

// Log levels: the first argument of every log function.
constexpr int logtrace = 0;   // one "script(line)" line per caller after a called script failed
constexpr int logerror = 1;   // every message of the interpreter; errors reported by functions
constexpr int logwarning = 2; // warnings reported by functions
constexpr int logoutput = 3;  // plain output lines of built-in functions (print, dump)

// Receives one complete diagnostic or output line. It must return; it may be called from the
// two threads of a parallel block, though never from both at the same moment.
typedef void (*logfunc)(int level, char const* text);

// A function callable from scripts. It reads its arguments from `params` and marks each one it
// consumes with processed(true); it leaves its result (if any) on top of `opstack`, reports
// problems through `log` and returns true on success, false on failure. A function runs while
// its interpreter family is locked: it may read and write `globals` without further locking,
// and it must not call back into an interpreter of the same family. A list it resets or removes
// is released once the calling statement is over (the statement may hold it). It must not
// throw: an exception that leaves it is caught and fails the call, with a message. A call that
// leaves no result cannot be used as a value: only a statement of its own may make it.
typedef bool (*scriptfunc)(stack* opstack, parameters* params, variables* globals, logfunc log);

// The type tag of a value; the numbers are part of the interface and never change.
enum vartype {
  undefinedtype = 0,
  numbertype = 1,
  stringtype = 2,
  listtype = 3,
  namedlisttype = 4,
  binarytype = 5
};

// Where lists and name indexes take the storage that a value record does not hold inline.
// alloc returns at least `size` bytes or null; `tag` names the purpose ("objlist::block",
// "avltreenode", "avltreenode::name", "avltreenode::obj", "list", "namedlist") and may be
// ignored. A null allocater* anywhere means the plain heap.
class VESK_API allocater {
public:
  allocater() = default;
  allocater(allocater const&) = default;
  allocater& operator=(allocater const&) = default;
  virtual void* alloc(unsigned size, char const* tag) = 0;
  virtual void free(void* pointer) = 0;

protected:
  ~allocater() = default;
};

// The one value record of the engine: a number, a text of at most 127 characters, a list, a
// named list or a binary blob (pointer and length, never owned). The record has a fixed size
// and is copied byte for byte; a copy of a list is a second handle on the same storage. A record
// never releases anything by itself: reset() gives back the storage of a list, and nothing else
// does. Wrong-type access is not an error: it yields 0.0, "", null, 0 or false.
class VESK_API variable {
public:
  variable();                                  // undefinedtype
  variable(double number);                     // numbertype
  variable(char const* text);                  // stringtype, first 127 characters; not null
  variable(void const* data, int length);      // binarytype, pointer and length kept as given
  variable(variable const* source, allocater* unused); // byte copy, then flags and user data 0
  variable(vartype type, allocater* alloc);    // empty value of that type (lists use alloc)

  vartype type() const;
  bool isof(vartype const& type) const;
  bool isnumber() const;
  bool isstring() const;
  bool islist() const;
  bool isnamedlist() const;
  bool isbinary() const;

  double number() const;      // 0.0 unless numbertype
  char const* string() const; // "" unless stringtype, never null
  void* binary() const;       // null unless binarytype
  int count();                // elements of a list or named list, bytes of a binary, else 0

  long getuserdata() const;
  void setuserdata(long data);

  void processed(bool on);
  void setdisabled(bool on);
  void seterror(bool on);
  void setinvalid(bool on);
  void setchanged(bool on);
  bool isprocessed() const;
  bool isconstant() const;
  bool isdisabled() const;
  bool haserror() const;
  bool isinvalid() const;
  bool ischanged() const;

  // Gives back the storage of a list or named list and leaves it empty and usable (true);
  // numbers and texts stay as they are (true); other types are left alone (false).
  bool reset();

  // Iteration with one cursor per list; on a record that is no list they return null.
  variable* first();
  variable* next();
  variable* first(vartype type);
  variable* next(vartype type);
  variable* first(char** name); // named lists only; *name points into the element
  variable* next(char** name);
  variable* first(char** name, vartype type);
  variable* next(char** name, vartype type);

  variable* index(int i);          // element i (0-based) or null
  variable* find(char const* path); // named lists: overlay first, then a dotted path
  bool remove(char const* name);   // named lists: resets the value, unindexes the name

  // Appending to a list; each returns the new element, or null when the record is no list
  // or no storage could be had (the list is then unchanged).
  variable* add(variable* value); // byte copy, flags and user data included
  variable* add(variable& value);
  variable* add(double number);
  variable* add(char const* text);
  variable* add(void* data, int length);
  variable* add(vartype type); // empty value built with this list's allocater

  // Appending to a named list under a name (the first 63 characters are kept).
  variable* add(variable* value, char const* name);
  variable* add(variable& value, char const* name);
  variable* add(double number, char const* name);
  variable* add(char const* text, char const* name);
  variable* add(void* data, int length, char const* name);
  variable* add(vartype type, char const* name);

  variable(variable const& other) = default;            // byte copy of the whole record
  variable& operator=(variable const& other) = default; // byte copy of the whole record

protected:
  void setoverlaypointer(variable* overlay);

private:
  friend struct storeaccess;
  struct binarypair {
    void* data;
    int length;
  };
  // The payload's largest member, the text, fixes the record's size. Lists keep their element
  // list header (and for named lists the name index header and the overlay) in `list`.
  union payload {
    double number;
    char text[128];
    binarypair binary;
    alignas(8) unsigned char list[128];
  };

  vartype tag;
  unsigned short flags;
  long userdata;
  payload value;
};

// The global variable store: a named list that scripts assign into and hosts read from.
class VESK_API variables : public variable {
public:
  variables();
  explicit variables(allocater* alloc);
  // Makes `overlay` (null or a named list) the list that find() searches first.
  void setoverlay(parameters* overlay);
};

// The parameter list of one call: a named list, one element per argument in call order,
// positional arguments under the empty name.
class VESK_API parameters : public variable {
public:
  parameters();
  explicit parameters(allocater* alloc);
  void setoverlay(parameters* overlay);
};

// Gives back the storage of `value` and of every list inside it, however deeply nested, and
// leaves `value` an empty list of its kind; numbers, texts, binaries and null are left alone.
// This is how a host gives back its store, its parameters or a list it built: reset() gives
// back the storage of one list only. Every list's storage must have one record as its owner
// (the engine's stored values do; two handles on one list would be given back twice), and no
// run may be using the value.
VESK_API void releasevalue(variable* value);

// The operand and result stack: 128 value slots counted from the top (position 0 is the value
// pushed last) and an arena from which temporary lists of one statement are taken. A push on a
// full stack returns null and changes nothing.
class VESK_API stack {
public:
  explicit stack(int arenasize = 65536);
  ~stack();
  stack(stack const&) = delete;
  // Copies all fields: both objects then share slots and arena, and only one may be destroyed.
  stack& operator=(stack const& other);

  void reset(); // empties the stack and rewinds the arena
  variable* push(double number);
  variable* push(char const* text);
  variable* push(vartype type); // lists pushed this way take their blocks from the plain heap
  variable* push(variable* value);
  variable* top(int i) const;
  char* string(int i) const; // null unless the value at position i is a text
  double number(int i) const;
  vartype type(int i) const;
  bool isof(vartype const& type, int i) const;
  bool isnumber(int i) const;
  bool isstring(int i) const;
  bool islist(int i) const;
  bool isnamedlist(int i) const;
  void pop(int n);
  void negate(); // negates a number on top; anything else stays
  int numelements() const;

private:
  friend struct stackaccess;
  int count;
  int capacity;
  variable* elements;
  void* arena;
  interpreter* owner;
  linearallocater* arenaallocater;
};

// What a hook learns about the statement that is about to run (see interpreter::sethook). The
// texts live until the hook returns.
struct statementinfo {
  char const* script; // the script's name as diagnostics give it (a called script: its path)
  int line;           // 1-based; 0 for an expression the host evaluates
  char const* text;   // the line as it is written
  int depth;          // script calls between the host's call and this statement (0: the host's)
  int part;           // 0: the host's thread; the worker of a parallel block: a number of its
                      // own for as long as it runs (the first worker of a host's call is 1)
};

// What an error hook learns about a statement that failed (see interpreter::seterrorhook). The
// texts live until the hook returns.
struct errorinfo {
  char const* script; // as in statementinfo, for the statement that failed
  int line;
  char const* text;
  int depth;
  int part;
  char const* message; // the first error it reported ("script(line): error: ..."), or ""
  bool caught;         // a try block takes the run on; else the error ends the run (or the
                       // parallel part it is in)
};

// Called where a statement fails with an error, before the run goes on in the try block that
// intercepts it or ends; not for a run the host stops, nor again for the statement of a script
// call that failed (the error was reported where it was raised). The run is paused until it
// returns, as for the statement hook, with the same rules.
typedef void (*errorhook)(interpreter& engine, errorinfo const& at, void* data);

// One call on the stack of a paused run (see interpreter::frame). The texts and the parameters
// live until the hook returns.
struct frameinfo {
  char const* name;   // the script's file name, without folder and ".vk"
  char const* script; // the script as diagnostics give it (a called script: its path)
  int line;           // 1-based: the statement it stands at (0: an expression the host evaluates)
  int part;           // the part of a parallel block it runs in, as in statementinfo
  variable* params;   // the parameters of the call, a list of named values (null: none)
};

// Called before each statement of a run, of the scripts it calls and of its parallel parts,
// with the interpreter it was set on. True lets the statement run; false stops the run there
// as stop() does. It runs on the thread that runs the statement (either thread of a parallel
// block, never both at once) while the family is locked; the run is paused until it returns
// (the other part of a parallel block waits before its next statement). Meanwhile the hook may
// read and change the store's values, look at the call stack (frames, frame), evaluate in a
// frame, and call store(), cmdsindex(), stop(), sethook(), setstatementlimit() and
// setlogfunc(); every other call of the family's interpreters fails with a message (nothing
// else may run, and what a run sees must not change under it). It must not throw: an
// exception that leaves it is caught and ends the run, as false does, with a message.
typedef bool (*statementhook)(interpreter& engine, statementinfo const& at, void* data);

// The script engine. One interpreter is used by one thread at a time; nested interpreters for
// script calls and parallel blocks share its global store, function registry and log function.
class interpreter {
public:
  VESK_API explicit interpreter(vesk::logfunc log = nullptr);
  VESK_API interpreter(variables* globals, vesk::logfunc log);
  VESK_API ~interpreter();
  interpreter(interpreter const&) = delete;
  // Makes this interpreter a second one over the same store, log function, script folders,
  // function registry and family (the state nested interpreters share: one run at a time, the
  // statement limit, the hook); it keeps an operand stack of its own. Either may be destroyed
  // while the other goes on; the last one releases what they share. An interpreter that is
  // running is not assigned to (reported).
  VESK_API interpreter& operator=(interpreter const& other);

  VESK_API void setlogfunc(vesk::logfunc log); // null: diagnostics are dropped
  // Replaces the store (null: none). Refused, with a message, while the interpreter runs (from
  // a function it calls, or from another thread).
  VESK_API void setglobals(variables* globals);
  // Sets the two folders in which called scripts are looked for after the calling script's
  // own (null or "": none). A script's path holds at most 127 characters: a folder longer than
  // 122 characters, in which no script could be found, is refused (reported; left empty).
  VESK_API void setscriptpath(char const* path1, char const* path2);
  VESK_API variables* store();
  VESK_API int cmdsindex(); // 0-based index of the current (or last) line of the run

  // Runs an array of lines, which must stay unchanged until the call returns; true when the
  // end was reached with every block closed.
  VESK_API bool execute(char const** lines, int count, char const* scriptname);
  // Runs a registered function, or else the script file `name`.vk, with the given parameters.
  VESK_API bool execute(char const* name, parameters* params);
  // Runs one command line: an expression statement, or an assignment to a plain name (a name,
  // or a text in quotes used as one; no element or member targets, which a run of lines takes).
  VESK_API bool execute(char const* line, char const* scriptname);
  // Evaluates an expression; the value lives in the operand stack until the next evaluation
  // or statement. Null on failure or when the expression left no value.
  VESK_API variable* evaluate(char const* text);

  // Registers a function; false (nothing registered) when the name is taken, empty, null or
  // longer than 31 characters, or func is null.
  VESK_API bool add(scriptfunc func, char const* name);
  VESK_API bool add(char const* libraryname);           // loads an extension library
  // Registers the built-in functions, except those for which filter(name) returns true.
  VESK_API void addinternalfuncs(bool (*filter)(char const* name));

  // Host control of runaway scripts. A limit of executed statements for each later call of
  // execute or evaluate (0, the default, means none), counted across every interpreter nested
  // in this one; and a request, safe from any thread, to stop the script now running. Either
  // fails the run at its next statement with a message that no try block intercepts; the
  // store stays sound. A stop request is forgotten when the next call of execute or evaluate
  // begins.
  VESK_API void setstatementlimit(long long statements);
  VESK_API void stop();

  // Confines what the scripts this interpreter runs (and those of every interpreter nested in
  // it) can reach on disk, for scripts the host does not trust (docs/embedding.md, "Running
  // scripts you do not trust"). The first call confines the interpreter for good; each call
  // allows one more folder with everything inside it, resolved now (symbolic links followed)
  // and held open, so that it stays that folder whatever later happens to its path. From then
  // on the file built-ins take a relative path from the first allowed folder (never from the
  // process's current directory), follow ".." and symbolic links, and refuse with a message,
  // before anything changes, a path that leads outside every allowed folder and the deletion
  // or renaming of an allowed folder itself; enumfiles and enumfolders list only inside,
  // getfolderpath names only folders inside, and deletefolder leaves the current directory
  // alone. A called script is found only by a name that stays in the folder it is looked for
  // in (no ".." among its parts, not an absolute path). A null folder confines without
  // allowing any. Returns false, after reporting why at logerror, when the folder cannot be
  // opened as a folder or 32 are allowed already; the interpreter is confined all the same.
  // Call it between runs.
  VESK_API bool allowfolder(char const* folder);

  // Sets the function called before each statement, with `data` as its last argument (null:
  // none, the default, which costs a run nothing). Set it between calls, or from the hook.
  VESK_API void sethook(statementhook hook, void* data);

  // Sets the function called where a statement fails (null: none, the default, which costs a
  // run nothing). Set it between calls, or from a hook.
  VESK_API void seterrorhook(errorhook hook, void* data);

  // A paused run (a hook has not returned), asked from the hook: the number of calls on its
  // stack (0 when no run is paused on this thread), and the call `index` of them, 0 being the
  // one the paused statement belongs to and each next one the call that made it (false when
  // there is no such call). A parallel block's part continues the call that runs the block.
  VESK_API int frames();
  VESK_API bool frame(int index, frameinfo& info);
  // Evaluates an expression in call `frame` of the paused run: its parameters, the store and
  // the functions are in reach. The paused statement and the calls waiting for it are left as
  // they were (the expression may call functions and scripts, which count against the
  // statement limit, and no hook is called for their statements). The value lives until the
  // hook returns. Null, with the message at `log` (null: the interpreter's log function), on
  // failure, when the expression left no value, or when no run is paused on this thread or it
  // has no such call.
  VESK_API variable* evaluate(char const* text, int frame, vesk::logfunc log = nullptr);

  // Reads the lines as a run named `scriptname` would, without running any of them, and
  // reports in line order every syntax error and every block not opened, divided or closed as
  // it must be ("script(line): error: ...", level logerror), and every line whose meaning is
  // certain to surprise ("script(line): warning: ...", level logwarning): an assignment to a
  // name that is a function or a script file in reach, and a call of a name that is neither
  // and that no line assigns. Names are judged as a run starting now would judge them. Returns
  // the number of errors (-1 when the check could not begin, reported) and stores the number
  // of warnings in `warnings` when it is not null.
  VESK_API int check(char const** lines, int count, char const* scriptname, int* warnings);

  // Compiles each line as a run would compile it on the line's second pass (names judged as a
  // run starting now would judge them), and writes the instructions it runs to the log
  // function at level logoutput: a line "script(line): text", then one line per instruction,
  // and the quick tier's after a line "  quick" where the statement has one. Nothing runs.
  // Returns the number of lines listed (-1 when the listing could not begin, reported).
  VESK_API int list(char const** lines, int count, char const* scriptname);

private:
  engine* self; // the interpreter's working state; null when it could not be made
};

// Bytes that the lists scripts store may take at once, in the whole process (0 restores the
// default of 4 GiB). An assignment that would go beyond fails like any failing statement. The
// lists one statement builds on its way (at most 256 MiB) are held to the lower of the two.
VESK_API void setstorelimit(unsigned long long bytes);

// The library's version, "1.2.8"; the second form also stores its three numbers. Both return
// one static buffer of the library.
VESK_API char const* version();
VESK_API char const* version(int& major, int& minor, int& patch);

} // namespace vesk

// Extension libraries: a shared library that a host loads with interpreter::add(libraryname)
// exports either one function, registered under the library's file name without extension:
//     VESK_EXPORT_RUN(myfunction)
// or a set of functions with names of their own, handed out by index until null:
//     VESK_EXPORT_MODULES(functionatindex, nameoffunction)
// where functionatindex is vesk::scriptfunc (int index) and nameoffunction is
// char const* (vesk::scriptfunc func). Use each macro once, at namespace scope.
#if defined(_WIN32)
#define VESK_EXTENSION_EXPORT __declspec(dllexport)
#else
#define VESK_EXTENSION_EXPORT __attribute__((visibility("default")))
#endif

#define VESK_EXPORT_RUN(func)                                                                  \
  extern "C" VESK_EXTENSION_EXPORT bool vesk_run(vesk::stack* opstack, vesk::parameters* params, \
                                                 vesk::variables* globals, vesk::logfunc log) {  \
    return func(opstack, params, globals, log);                                                \
  }

#define VESK_EXPORT_MODULES(modulesfunc, modulenamefunc)                                       \
  extern "C" VESK_EXTENSION_EXPORT vesk::scriptfunc vesk_modules(int index) {                  \
    return modulesfunc(index);                                                                 \
  }                                                                                            \
  extern "C" VESK_EXTENSION_EXPORT char const* vesk_modulename(vesk::scriptfunc func) {        \
    return modulenamefunc(func);                                                               \
  }

#endif
