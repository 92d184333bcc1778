// posixfiles.h - what the plain file operations and the confined ones share: reading an open
// folder's entries, and moving without replacing, both relative to folders held open.
#pragma once

#include <dirent.h>

#include "platform.h"

namespace vesk::platform {

// Calls visit for each entry of `opened` but "." and ".." (see listfolder), and closes it.
// False when the folder could not be read to its end.
bool visitentries(DIR* opened, entryvisitor visit, void* context);

// Moves `from` in the folder `fromfolder` to `to` in `tofolder` (AT_FDCWD: the current
// directory), never replacing what exists at `to` (see movefile).
bool moveat(int fromfolder, char const* from, int tofolder, char const* to);

} // namespace vesk::platform
