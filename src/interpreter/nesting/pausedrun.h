// pausedrun.h - a run paused in the host's hook, asked from that hook's thread: the calls on
// its stack, innermost first, and expressions evaluated in them. Everything here answers
// nothing (0, null) unless a run of the family is paused on the calling thread.
#pragma once

#include "runner.h"

namespace vesk {

int pausedframes(family* shared);
runner* pausedframe(family* shared, int index); // null: no such call
void describeframe(runner& call, frameinfo& info);
// The value lives until the hook returns; null after a message at `log` when the evaluation
// fails or leaves no value, or (without a message) when there is no such call.
variable* evaluateinframe(family* shared, int index, char const* text, logfunc log);

} // namespace vesk
