// terminal.h - what the prompt needs of the terminal: whether standard input is one, reading
// a line (with editing, completion and a history kept in a file through libedit when vesk is
// built with it, else plain lines), and Ctrl-C, which stops the run in progress or drops the
// line being typed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vesk.h"

namespace cli {

bool terminalinput(); // standard input is a terminal

// From now on standard input and output carry bytes as they are (on Windows, no translation
// of line endings), for the formatter's text and the language server's messages.
void binarystreams();

// The keys that end the input at the terminal ("Ctrl-D"), for the prompt's first line.
char const* endofinputkeys();

enum class readresult { line, interrupted, end };

// The names Tab may complete to, asked for anew at each Tab.
typedef std::function<std::vector<std::string>()> namesource;

class lineinput {
public:
  // `historyfile` (may be "": none) holds the history of earlier sessions, read now and
  // written as lines are remembered; `names` feeds completion.
  lineinput(std::string const& historyfile, namesource names);
  ~lineinput();
  lineinput(lineinput const&) = delete;
  lineinput& operator=(lineinput const&) = delete;

  // Shows `prompt` and reads one line into `line`, without its newline. `interrupted` after
  // Ctrl-C (while an `interruptions` is in place), `end` at the end of input or on an error.
  readresult read(char const* prompt, std::string& line);

  // Adds a line to the history that the arrow keys walk through, and to the history file
  // (nothing without libedit).
  void remember(std::string const& line);

  struct editor; // the line editor's state, which its callbacks reach

private:
  std::unique_ptr<editor> state;
};

// While it lives, Ctrl-C (SIGINT) no longer ends vesk: during a run (see running) it asks
// the interpreter to stop, and otherwise it interrupts lineinput::read.
class interruptions {
public:
  interruptions();
  ~interruptions();
  interruptions(interruptions const&) = delete;
  interruptions& operator=(interruptions const&) = delete;

  // `engine` is running an entry now (null: the session is reading again).
  void running(vesk::interpreter* engine);
};

} // namespace cli
