// resolve.cpp - what a name is: a registered function, else a script file in reach (beside the
// running script, then in the two script folders), else a variable of the store. Every lookup
// of a name's kind goes through here: the reference way's, a compiled line's check of its
// names, and the check's.
#include "caller.h"
#include "scripttexts.h"

namespace vesk {

namespace {

namekind kindfound(resolution* found, namekind kind) {
  if (found != nullptr) found->kind = kind;
  return kind;
}

} // namespace

// What `name` is, in the order names resolve. With `found`, a script's text is read here (or
// taken from the kept texts) and handed over with a use taken, for the call that follows; a
// file that cannot be read is left to the call, which reports it when it is made (a name is
// resolved before the operands to its left are evaluated, and a line may be compiled whole).
// Without, a script file is only looked for (the check judges names so).
namekind caller::resolve(char const* name, resolution* found) {
  if (found != nullptr) {
    found->function = nullptr;
    found->script = nullptr;
    found->kept = false;
    found->path[0] = '\0';
  }
  scriptfunc function = findfunc(name);
  if (found != nullptr) found->function = function;
  if (function != nullptr) return kindfound(found, calledfunction);
  if (noscript(name)) return kindfound(found, variablename);
  if (scripttext* known = knownscript(name)) {
    if (found == nullptr) {
      releasescripttext(known);
    } else {
      found->script = known;
      found->kept = true;
    }
  } else {
    FILE* file = findscript(name);
    if (file == nullptr) return kindfound(found, variablename);
    if (found == nullptr)
      fclose(file);
    else
      found->script = openscript(file, foundpath, &found->kept, false);
  }
  if (found != nullptr) copytext(found->path, foundpath, maxpathlen);
  return kindfound(found, calledscript);
}

} // namespace vesk
