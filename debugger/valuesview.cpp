// valuesview.cpp - scopes, elements and changes of values for the client; see valuesview.h.
#include "valuesview.h"

#include "engineaccess.h"
#include "jsonfields.h"
#include "scripttokens.h"
#include "text.h"

namespace dap {

namespace {

bool iscontainer(vesk::variable const& value) {
  return value.islist() || value.isnamedlist();
}

char const* typeof(vesk::variable const& value) {
  switch (value.type()) {
  case vesk::numbertype:
    return "number";
  case vesk::stringtype:
    return "text";
  case vesk::listtype:
    return "list";
  case vesk::namedlisttype:
    return "named list";
  case vesk::binarytype:
    return "binary";
  case vesk::undefinedtype:
    break;
  }
  return "undefined";
}

std::string valuetext(vesk::variable& value) {
  switch (value.type()) {
  case vesk::numbertype:
    return numbertext(value.number());
  case vesk::stringtype:
    return utf8(std::string("\"") + value.string() + "\"");
  case vesk::listtype:
    return "list of " + std::to_string(value.count());
  case vesk::namedlisttype:
    return "named list of " + std::to_string(value.count());
  case vesk::binarytype:
    return "binary of " + std::to_string(value.count()) + " bytes";
  case vesk::undefinedtype:
    break;
  }
  return "undefined";
}

std::string positionname(int position) {
  return "[" + std::to_string(position) + "]";
}

// Calls visit(position, name, element) for the elements of `container` from `start` on, at
// most `count` of them; a list's elements are named by their position.
template <typename visitor>
void eachelement(vesk::variable& container, int start, int count, visitor visit) {
  vesk::variable walker = container; // a cursor of its own
  bool named = container.isnamedlist();
  char* name = nullptr;
  vesk::variable* element = named ? walker.first(&name) : walker.first();
  for (int position = 0; element != nullptr && position < start + count; ++position) {
    if (position >= start)
      visit(position, named ? std::string(name) : positionname(position), *element);
    element = named ? walker.next(&name) : walker.next();
  }
}

bool assign(vesk::variable& target, literal const& typed, std::string& error) {
  if (iscontainer(target) || target.isbinary()) {
    error = "only a number, a text or an undefined value can be replaced here";
    return false;
  }
  if (target.isconstant()) {
    error = "the variable is a constant";
    return false;
  }
  long userdata = target.getuserdata();
  target = typed.isnumber ? vesk::variable(typed.number) : vesk::variable(typed.text.c_str());
  target.setuserdata(userdata);
  return true;
}

} // namespace

json valuesview::summary(vesk::variable& value) {
  return {{"value", valuetext(value)}, {"type", typeof(value)}};
}

void valuesview::clear() {
  paths.clear();
}

int valuesview::referto(valuepath path) {
  paths.push_back(std::move(path));
  return static_cast<int>(paths.size());
}

json valuesview::scopes(pausedrun const& run, int frame) {
  json list = json::array();
  if (frameparameters(run.engine, frame) != nullptr)
    list.push_back({{"name", "Parameters"},
                    {"presentationHint", "arguments"},
                    {"variablesReference", referto({root::parameters, frame, {}})},
                    {"expensive", false}});
  list.push_back({{"name", "Globals"},
                  {"variablesReference", referto({root::globals, frame, {}})},
                  {"expensive", false}});
  return {{"scopes", list}};
}

vesk::variable* valuesview::resolve(pausedrun const& run, int reference) {
  if (reference < 1 || static_cast<std::size_t>(reference) > paths.size()) return nullptr;
  valuepath const& path = paths[static_cast<std::size_t>(reference - 1)];
  vesk::variable* value = path.from == root::globals ? globalstore(run.engine)
                                                     : frameparameters(run.engine, path.frame);
  for (int position : path.positions) {
    if (value == nullptr || !iscontainer(*value)) return nullptr;
    value = value->index(position);
  }
  return value != nullptr && iscontainer(*value) ? value : nullptr;
}

json valuesview::element(std::string const& name, vesk::variable& value, valuepath const& path) {
  json shown = {{"name", utf8(name)}, {"value", valuetext(value)}, {"type", typeof(value)}};
  int reference = 0;
  if (iscontainer(value) && value.count() > 0) {
    reference = referto(path);
    shown[value.islist() ? "indexedVariables" : "namedVariables"] = value.count();
  }
  shown["variablesReference"] = reference;
  return shown;
}

bool valuesview::variables(pausedrun const& run, json const& arguments, json& out,
                           std::string& error) {
  int reference = integer(arguments, "variablesReference", 0);
  vesk::variable* container = resolve(run, reference);
  if (container == nullptr) {
    error = "no such variable (any more)";
    return false;
  }
  std::string filter = text(arguments, "filter");
  int start = integer(arguments, "start", 0);
  int count = integer(arguments, "count", 0);
  if (start < 0) start = 0;
  if (count <= 0 || count > maxelementsperresponse) count = maxelementsperresponse;
  bool wanted = filter.empty() || (filter == "indexed") == container->islist();
  json shown = json::array();
  if (wanted) {
    valuepath const parent = paths[static_cast<std::size_t>(reference - 1)];
    eachelement(*container, start, count,
                [&](int position, std::string const& name, vesk::variable& value) {
                  valuepath path = parent;
                  path.positions.push_back(position);
                  shown.push_back(element(name, value, path));
                });
  }
  out = {{"variables", shown}};
  return true;
}

bool valuesview::setvariable(pausedrun const& run, json const& arguments, json& out,
                             std::string& error) {
  vesk::variable* container = resolve(run, integer(arguments, "variablesReference", 0));
  std::string name = text(arguments, "name");
  literal typed;
  if (container == nullptr) {
    error = "no such variable (any more)";
    return false;
  }
  if (!readliteral(text(arguments, "value"), typed)) {
    error = "a new value is a number or a text in double quotes";
    return false;
  }
  vesk::variable* target = nullptr;
  eachelement(*container, 0, container->count(),
              [&](int, std::string const& shown, vesk::variable& value) {
                if (target == nullptr && shown == name) target = &value;
              });
  if (target == nullptr) {
    error = "no element '" + name + "' here";
    return false;
  }
  if (!assign(*target, typed, error)) return false;
  out = {{"value", valuetext(*target)}, {"type", typeof(*target)}, {"variablesReference", 0}};
  return true;
}

} // namespace dap
