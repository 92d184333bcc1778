// names.cpp - what a name is: a registered function, else a script file in reach (beside the
// running script, then in the two script folders), else a variable of the store (found with
// the store's overlay, the running call's parameters, first). Every lookup of a name that a
// line reads goes through resolve, by the general way and when a compiled line checks itself.
#include "callframe.h"
#include "engine.h"
#include "scripttexts.h"

namespace vesk {

// Resolves `name` as an operand. A script's text is read here (or taken from the kept texts)
// and handed over with a use taken, for the call that follows.
namekind engine::resolve(char const* name, resolution& found) {
  found.function = nullptr;
  found.script = nullptr;
  found.kept = false;
  found.path[0] = '\0';
  if ((found.function = findfunc(name)) != nullptr) return found.kind = calledfunction;
  if (noscript(name)) return found.kind = variablename;
  found.script = knownscript(name);
  found.kept = found.script != nullptr;
  if (found.script == nullptr) {
    FILE* file = findscript(name);
    if (file == nullptr) return found.kind = variablename;
    // A file that cannot be read (reported) makes a call that fails.
    found.script = openscript(file, foundpath, &found.kept);
  }
  copytext(found.path, foundpath, maxpathlen);
  return found.kind = calledscript;
}

// The named list where names are looked up: the store (with the running call's parameters laid
// over it), or without a store the parameters alone.
variable* engine::namesroot() const {
  if (globals != nullptr) return globals;
  return frame != nullptr ? frame->params : nullptr;
}

variable* engine::find(char const* name) {
  variable* root = namesroot();
  return root != nullptr ? root->find(name) : nullptr;
}

} // namespace vesk
