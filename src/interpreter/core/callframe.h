// callframe.h - a running call as its statements see it: the parameters laid over the global
// store, and the parameters the called script assigned itself. A parameter borrows the value
// its caller gave; a value the script stores into it is the call's, given back when it ends.
#pragma once

#include "vesk.h"

namespace vesk {

struct family;

// A mask of parameter names: one bit per name (two names may share one). A call whose mask
// lacks a name's bit has no parameter of that name.
unsigned long long namebit(char const* name);

struct callframe {
  // `givesback`: a script call's frame, whose parameter list its caller throws away; a host's
  // frame leaves what the script stored in the host's parameters, for the host.
  callframe(variable* params, bool givesback);
  ~callframe();
  callframe(callframe const&) = delete;
  callframe& operator=(callframe const&) = delete;

  bool owns(variable* slot) const; // the script stored the value of this parameter
  bool own(variable* slot);        // remembers that it did; false without memory
  // Gives back every value the script stored into a parameter (the parameter list is the
  // caller's to throw away).
  void release(family* shared);

  variable* params; // null: no parameters
  bool givesback;
  unsigned long long serial; // this call among all of the process
  unsigned long long mask;   // a bit for each parameter's name (see namebit)
  variable** owned = nullptr;
  int ownedcount = 0;
  int ownedcapacity = 0;
};

} // namespace vesk
