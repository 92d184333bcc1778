// text.h - texts on their way to the client: the protocol's JSON is UTF-8, while scripts may
// hold any bytes and the engine's own messages write "ü" as the single byte 0xFC. Valid UTF-8
// passes unchanged; every other byte is read as Latin-1, which turns 0xFC into "ü".
#pragma once

#include <string>
#include <string_view>

namespace dap {

std::string utf8(std::string_view bytes);

// A number as the shortest text that reads back as the same double ("0.1", "1e+300", "nan").
std::string numbertext(double value);

} // namespace dap
