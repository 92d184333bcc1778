// valuesview.h - the variables a paused run shows its client: the scopes of a frame (its
// Parameters, when it has any, and Globals), their values, the elements of lists and named
// lists, which the client expands by a number it was given (a reference), and the values of
// expressions it evaluates. A reference stands for the way to its value from the scope
// (positions, one per level), not for the value's address, so that a reference the client
// holds after the store changed finds nothing rather than a freed element; an evaluated value
// is found only during the stop it was evaluated in. References hold until the run goes on.
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
  // Gives the element `name` of the value behind `reference` the value of the expression in
  // `value`, evaluated in the frame of the scope: a number or a text replaces a number, a text
  // or nothing; lists are not replaced.
  bool setvariable(pausedrun const& run, json const& arguments, json& out, std::string& error);
  // The reference through which the client expands `value`, which was evaluated in frame
  // `frame` during this stop (0 when it is no list or named list, or an empty one).
  int expandable(pausedrun const& run, vesk::variable& value, int frame);

  // The value and type of one value as the client shows them.
  static json summary(vesk::variable& value);

private:
  enum class root { globals, parameters, evaluated };
  struct valuepath {
    root from;
    int frame;
    std::vector<int> positions;
    vesk::variable* value = nullptr; // an evaluated value, found during stop `stop` only
    long long stop = 0;
  };
  int referto(valuepath path);
  vesk::variable* resolve(pausedrun const& run, int reference);
  json element(std::string const& name, vesk::variable& value, valuepath const& path);

  std::vector<valuepath> paths; // reference n is paths[n - 1]
};

} // namespace dap
