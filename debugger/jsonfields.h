// jsonfields.h - reading the fields of a client's message without trusting its shape: each
// accessor checks the type it needs and gives the fallback for a missing field, a field of
// another type or a value out of range, so that no malformed message throws.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace dap {

using json = nlohmann::json;

// The field `name` of `object` (null when `object` is no object or has no such field).
json const& field(json const& object, char const* name);
// A whole number that fits an int (fractions and larger numbers give the fallback).
int integer(json const& object, char const* name, int fallback);
// A number of any size, or the fallback.
double number(json const& object, char const* name, double fallback);
bool boolean(json const& object, char const* name, bool fallback);
// A text, or "" when the field is missing or of another type.
std::string text(json const& object, char const* name);
bool hastext(json const& object, char const* name);
// The texts of an array field; false when the field is there but is no array of texts.
bool texts(json const& object, char const* name, std::vector<std::string>& out);

} // namespace dap
