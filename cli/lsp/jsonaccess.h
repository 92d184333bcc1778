// jsonaccess.h - reading the parts of a message that a handler needs without ever throwing: a
// member that is missing or of another type reads as absent.
#pragma once

#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>

namespace cli::lsp {

using json = nlohmann::json;

// The member `name` of `value` when `value` is an object that has it; else null.
inline json const* member(json const& value, char const* name) {
  if (!value.is_object()) return nullptr;
  auto found = value.find(name);
  return found == value.end() ? nullptr : &*found;
}

inline std::string const* stringmember(json const& value, char const* name) {
  json const* found = member(value, name);
  return found != nullptr && found->is_string() ? found->get_ptr<std::string const*>() : nullptr;
}

// An integer member within [lowest, highest]; false when it is missing or out of range.
inline bool intmember(json const& value, char const* name, long long& out, long long lowest = 0,
                      long long highest = 2147483647) {
  json const* found = member(value, name);
  if (found == nullptr || !found->is_number_integer()) return false;
  if (found->is_number_unsigned()) {
    unsigned long long number = found->get<unsigned long long>();
    if (lowest > 0 || number > static_cast<unsigned long long>(highest)) return false;
    out = static_cast<long long>(number);
    return true;
  }
  long long number = found->get<long long>();
  if (number < lowest || number > highest) return false;
  out = number;
  return true;
}

inline bool boolmember(json const& value, char const* name) {
  json const* found = member(value, name);
  return found != nullptr && found->is_boolean() && found->get<bool>();
}

// The member at a path of names, e.g. {"textDocument", "uri"}; null when any part is missing.
inline json const* path(json const& value, std::initializer_list<char const*> names) {
  json const* at = &value;
  for (char const* name : names)
    if ((at = member(*at, name)) == nullptr) return nullptr;
  return at;
}

} // namespace cli::lsp
