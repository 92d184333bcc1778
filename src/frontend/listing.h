// listing.h - one instruction as a line of text, for the listing of compiled lines: the
// instruction's name from the table, its operand, and its flags in words.
#pragma once

#include <cstddef>

#include "code.h"

namespace vesk {

// Writes `in` into `text` (at most size - 1 characters): its name, then its operand, with
// `name` (and `second`, for the quick instructions that have two) standing for the names of
// the sites it refers to; null where it refers to none.
void listinstruction(instruction const& in, char const* name, char const* second, char* text,
                     std::size_t size);

} // namespace vesk
