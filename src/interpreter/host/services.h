// services.h - what functions ask of the interpreter that runs them, found through the operand
// stack they are given (its owner): the interface the built-ins use, and the only one they
// need of the engine's insides.
#pragma once

#include "errorqueue.h"
#include "vesk.h"

namespace vesk::platform {
struct allowedfolders;
}

namespace vesk {

// Sleeps without holding the statement lock, so that the other part of a parallel block goes
// on meanwhile; a stop request from the host ends the pause early.
void sleepunlocked(stack* opstack, unsigned milliseconds);
// The errors collected by try bodies of the running family, or null without one.
errorqueue* collectederrors(stack* opstack);
// Whether the running family's file access is confined (see interpreter::allowfolder), and the
// folders it may act in (null: none).
bool confinedfiles(stack* opstack, platform::allowedfolders const** folders);
// A value taken out of the store: its storage is given back once no statement can hold it
// (at once when no statement is running).
void giveback(stack* opstack, variable const& value);
// A list a function made for the calling statement: given back when the statement's
// temporaries are. False, and nothing done, when no statement is running (a host's direct
// call): the caller keeps it.
bool keepforstatement(stack* opstack, variable const& list);

} // namespace vesk
