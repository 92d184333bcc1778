// languagelimits.h - the fixed limits of the language and the messages that report reaching them,
// one definition each for the parser, the check and the engine that runs the lines.
#pragma once

namespace vesk {

constexpr int maxfuncnamelen = 31; // registered function names
constexpr int maxargnamelen = 127; // argument names of a call
constexpr int maxloopnamelen = 31; // loop-variable and list names of loops
constexpr int maxpathlen = 127;    // script name and found path
constexpr int maxdirlen = 511;     // script directories
constexpr int ctrlstacksize = 100; // open blocks of one run
constexpr int messagesize = 1024;  // one diagnostic line
constexpr int maxnesting = 200;    // operand nesting (parentheses, literals, indexes)
constexpr int maxcalldepth = 200;  // script calls nested in one another

constexpr char msg_syntax[] = "Ausdruck nicht korrekt";
constexpr char msg_toodeep[] = "expression nested too deeply";
constexpr char msg_trailing[] = "trailing something after expression";
constexpr char msg_stackfull[] = "too many operands (operand stack full)";
constexpr char msg_blocksfull[] = "too many nested operands"; // more than ctrlstacksize blocks
constexpr char msg_loopname[] = "loop variable name longer than 31 characters";
constexpr char msg_listname[] = "list name longer than 31 characters";
constexpr char msg_arenafull[] = "memory exhausted (temporary lists of this statement)";
constexpr char msg_memory[] = "memory exhausted";
constexpr char msg_nothread[] = "no thread could be started for the parallel block";

} // namespace vesk
