// confinement.cpp - interpreter::allowfolder: the folders that a family's file built-ins are
// confined to. The family holds them; the built-ins find them through the operand stack they
// are given (files.cpp), the script lookup asks only whether the family is confined.
#include <cstdio>

#include "engine.h"
#include "family.h"
#include "platform.h"

namespace vesk {

bool interpreter::allowfolder(char const* folder) {
  if (self == nullptr || self->shared == nullptr || self->refusedinpause("allowfolder"))
    return false;
  family* shared = self->shared;
  if (!shared->confined) {
    shared->confined = true;
    ++shared->pathsgeneration; // compiled lines resolve script names again, now confined
  }
  if (shared->files == nullptr) shared->files = platform::newallowedfolders();
  if (folder == nullptr) return true;
  char message[messagesize];
  if (shared->files == nullptr) {
    self->log(logerror, msg_memory);
    return false;
  }
  if (platform::allowfolder(shared->files, folder)) return true;
  if (platform::allowedcount(shared->files) == platform::maxallowedfolders)
    snprintf(message, sizeof message, "folder '%s' cannot be allowed: %d are allowed already",
             folder, platform::maxallowedfolders);
  else
    snprintf(message, sizeof message,
             "folder '%s' cannot be allowed: no folder can be opened there", folder);
  self->log(logerror, message);
  return false;
}

} // namespace vesk
