// enginelink.h - what the language server asks of the engine, and nothing else: the check of
// a script's lines (the engine's own, as vesk --check runs it) and the names of the functions
// it has registered. The server speaks JSON; the engine never sees any.
#pragma once

#include <string>
#include <vector>

#include "vesk.h"

namespace cli::lsp {

// One report of the check: its line (1-based), whether it is a warning, and its text.
struct finding {
  int line;
  bool warning;
  std::string text;
};

class enginelink {
public:
  // Checks `text` as the script `name` (a file name) in `folder` ("": the working folder),
  // where the scripts it calls are looked for first. False when the check could not run.
  virtual bool check(std::string const& text, std::string const& folder, std::string const& name,
                     std::vector<finding>& found) = 0;

protected:
  ~enginelink() = default;
};

// The link to an interpreter set up as for a run: its functions registered, its script
// folders set. The check runs in `folder`, which becomes the process's working folder (with
// `infolder` false it runs in the working folder as it is, whatever folder it is given).
class interpreterlink final : public enginelink {
public:
  explicit interpreterlink(vesk::interpreter& engine, bool infolder = true)
      : engine(engine), infolder(infolder) {}
  bool check(std::string const& text, std::string const& folder, std::string const& name,
             std::vector<finding>& found) override;

private:
  vesk::interpreter& engine;
  bool infolder;
};

// The names the engine registers as built-in functions (asked of an interpreter of its own).
std::vector<std::string> builtinnames();

} // namespace cli::lsp
