// valuelimits.h - the fixed sizes of the value layer, named once: texts, list blocks, element
// names, index keys, path segments, the operand stack and the nesting of stored lists. Other
// layers read them from here.
#pragma once

namespace vesk {

constexpr int maxtextlen = 127;     // characters of a text value; the array holds one more
constexpr int blocksize = 8;        // elements per list block
constexpr int namefieldlength = 64; // bytes of a named element's name field, NUL included
constexpr int maxnamelen = namefieldlength - 1; // characters of an element name kept
constexpr int namedlistcapacity = 64;   // name capacity of a named list's index, NUL included
constexpr int maxsegmentlen = 127;      // characters of a path segment that a '.' follows
constexpr int stackslots = 128;         // value slots of the operand stack
constexpr int defaultarenasize = 65536; // bytes of the operand stack's arena
constexpr int maxdatadepth = 200;       // lists nested in lists when a value is stored

} // namespace vesk
