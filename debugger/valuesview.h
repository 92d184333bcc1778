// valuesview.h - the variables a paused run shows its client: the scopes of a frame (Globals,
// and Parameters where the engine can tell them), their values, and the elements of lists and
// named lists, which the client expands by a number it was given (a reference). A reference
// stands for the way to its value from the scope (positions, one per level), not for the
// value's address, so that a reference the client holds after the store changed finds
// nothing rather than a freed element. References hold until the run goes on.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "runcontrol.h"

namespace dap {

using json = nlohmann::json;

// The most elements one variables response holds; a client pages through longer lists.
constexpr int maxelementsperresponse = 1000;

class valuesview {
public:
  // Forgets every reference: the run went on.
  void clear();
  // The scopes of frame `frame` (0 innermost).
  json scopes(pausedrun const& run, int frame);
  // The elements of the value behind `reference`, from position `start`, at most `count` of
  // them (0: all, up to maxelementsperresponse); `filter` "indexed" or "named" keeps only
  // elements of a list or of a named list. False with the reason in `error`.
  bool variables(pausedrun const& run, json const& arguments, json& out, std::string& error);
  // Gives the element `name` of the value behind `reference` the value typed in `value`: a
  // number or a text replaces a number, a text or nothing; lists are not replaced.
  bool setvariable(pausedrun const& run, json const& arguments, json& out, std::string& error);

  // The value and type of one value as the client shows them.
  static json summary(vesk::variable& value);

private:
  enum class root { globals, parameters };
  struct valuepath {
    root from;
    int frame;
    std::vector<int> positions;
  };
  int referto(valuepath path);
  vesk::variable* resolve(pausedrun const& run, int reference);
  json element(std::string const& name, vesk::variable& value, valuepath const& path);

  std::vector<valuepath> paths; // reference n is paths[n - 1]
};

} // namespace dap
