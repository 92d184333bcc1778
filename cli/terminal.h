// terminal.h - what the prompt needs of the terminal: whether standard input is one, reading
// a line (with editing and history through libedit when vesk is built with it, else plain
// lines), and Ctrl-C, which stops the run in progress or drops the line being typed.
#pragma once

#include <memory>
#include <string>

#include "vesk.h"

namespace cli {

bool terminalinput(); // standard input is a terminal

enum class readresult { line, interrupted, end };

class lineinput {
public:
  lineinput();
  ~lineinput();
  lineinput(lineinput const&) = delete;
  lineinput& operator=(lineinput const&) = delete;

  // Shows `prompt` and reads one line into `line`, without its newline. `interrupted` after
  // Ctrl-C (while an `interruptions` is in place), `end` at the end of input or on an error.
  readresult read(char const* prompt, std::string& line);

  // Adds a line to the history that the arrow keys walk through (nothing without libedit).
  void remember(std::string const& line);

private:
  struct editor;
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
