// testallocaters.h - allocaters for the unit tests of the value layer: one that records every
// request by tag, refuses on demand and checks that whatever it handed out comes back once.
#pragma once

#include "vesk.h"

#include <cstdlib>
#include <map>
#include <set>
#include <string>

namespace vesktest {

class recordingallocater final : public vesk::allocater {
public:
  recordingallocater() = default;
  recordingallocater(recordingallocater const&) = delete;
  ~recordingallocater() {
    for (auto const& entry : live) std::free(entry.first);
  }

  void* alloc(unsigned size, char const* tag) override {
    std::string name = tag != nullptr ? tag : "";
    if (refuses(name)) {
      ++refused;
      return nullptr;
    }
    if (remaining > 0) --remaining;
    void* pointer = std::malloc(size != 0 ? size : 1);
    live[pointer] = name;
    ++allocations[name];
    sizes[name].insert(size);
    bytes += size;
    return pointer;
  }

  void free(void* pointer) override {
    auto found = live.find(pointer);
    if (found == live.end()) {
      ++strayfrees;
      return;
    }
    ++frees[found->second];
    live.erase(found);
    std::free(pointer);
  }

  // The next `n` requests succeed, every later one is refused, until succeed().
  void failafter(int n) { remaining = n; }
  // Every request with this tag is refused, until succeed().
  void failtag(std::string const& tag) { failingtag = tag; }
  void succeed() {
    remaining = -1;
    failingtag.clear();
  }

  int outstanding() const { return static_cast<int>(live.size()); }
  int outstanding(std::string const& tag) const {
    int n = 0;
    for (auto const& entry : live) n += entry.second == tag;
    return n;
  }
  int total() const {
    int n = 0;
    for (auto const& entry : allocations) n += entry.second;
    return n;
  }
  int count(std::string const& tag) const {
    auto found = allocations.find(tag);
    return found == allocations.end() ? 0 : found->second;
  }

  std::map<std::string, int> allocations;
  std::map<std::string, int> frees;
  std::map<std::string, std::set<unsigned>> sizes;
  unsigned long long bytes = 0; // the sizes of all requests granted, added up
  int refused = 0;
  int strayfrees = 0; // frees of pointers that were not handed out (or were freed already)

private:
  bool refuses(std::string const& tag) const {
    return remaining == 0 || (!failingtag.empty() && tag == failingtag);
  }

  std::map<void*, std::string> live;
  int remaining = -1;
  std::string failingtag;
};

} // namespace vesktest
