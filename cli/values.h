// values.h - the value an expression leaves, as -e and the prompt show it. The engine leaves
// the value of an expression statement on its operand stack until the next statement; the
// command reads it there through a function of its own that it registers on the engine. And the
// global store as --globals shows it.
#pragma once

#include "vesk.h"

namespace cli {

// Registers the reading function on `engine`; false when the name is taken.
bool watchvalues(vesk::interpreter& engine);

// The value the engine's last statement left (null: none, as after a call of a function
// without a result or an assignment). Valid until the engine runs the next statement.
vesk::variable* lastvalue(vesk::interpreter& engine);

// Writes a value to `log` at the output level the way dump writes it.
void show(vesk::variable* value, vesk::logfunc log);

// Writes the global variables as show() does, leaving out those deleted.
void showglobals(vesk::variables& globals, vesk::logfunc log);

} // namespace cli
