// jsonfields.cpp - type-checked reads of message fields; see jsonfields.h.
#include "jsonfields.h"

#include <climits>
#include <cmath>

namespace dap {

json const& field(json const& object, char const* name) {
  static json const missing;
  if (!object.is_object()) return missing;
  auto found = object.find(name);
  return found == object.end() ? missing : *found;
}

int integer(json const& object, char const* name, int fallback) {
  json const& value = field(object, name);
  if (!value.is_number()) return fallback;
  double n = value.get<double>();
  if (!(n >= INT_MIN && n <= INT_MAX) || n != std::floor(n)) return fallback;
  return static_cast<int>(n);
}

double number(json const& object, char const* name, double fallback) {
  json const& value = field(object, name);
  return value.is_number() ? value.get<double>() : fallback;
}

bool boolean(json const& object, char const* name, bool fallback) {
  json const& value = field(object, name);
  return value.is_boolean() ? value.get<bool>() : fallback;
}

std::string text(json const& object, char const* name) {
  json const& value = field(object, name);
  return value.is_string() ? value.get<std::string>() : std::string();
}

bool hastext(json const& object, char const* name) {
  return field(object, name).is_string();
}

bool texts(json const& object, char const* name, std::vector<std::string>& out) {
  json const& value = field(object, name);
  if (value.is_null()) return true;
  if (!value.is_array()) return false;
  for (json const& element : value) {
    if (!element.is_string()) return false;
    out.push_back(element.get<std::string>());
  }
  return true;
}

} // namespace dap
