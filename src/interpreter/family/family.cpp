// family.cpp - a family's life (made, shared by copies, let go by the last of them) and the
// thread-local family whose statements a thread runs.
#include "family.h"

#include <new>

#include "fasttls.h"
#include "platform.h"

namespace vesk {

namespace {

VESK_FASTTLS thread_local family* currentfamily = nullptr; // whose statements it runs

} // namespace

// A family starts with room for the storage its statements give back, so that giving back
// (which must not fail) takes memory only when more waits at once than ever before.
family* newfamily() {
  auto* made = new (std::nothrow) family;
  if (made != nullptr && !reserve(made->storage)) {
    releaseall(made->storage);
    delete made;
    return nullptr;
  }
  return made;
}

void sharefamily(family* shared) {
  shared->owners.fetch_add(1, std::memory_order_relaxed);
}

bool letgo(family* shared) {
  return shared != nullptr && shared->owners.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

void deletefamily(family* shared) {
  releaseall(shared->storage);
  platform::deleteallowedfolders(shared->files);
  delete shared;
}

family* runningfamily() {
  return currentfamily;
}

family* setrunningfamily(family* shared) {
  family* before = currentfamily;
  currentfamily = shared;
  return before;
}

// While a host's function or hook runs, what the host resets may be what a waiting statement
// holds: it is released when the family's rule of giving back says so (see releasehold.h).
bool holdforstatement(void* context, variable const& held) {
  return retireown(static_cast<family*>(context), held);
}

} // namespace vesk
