// listset.h - the stored lists that one nested run created itself, by the address of their
// first element. Such a list cannot be held by a statement of a caller (those took their
// operands before the run began), so when the run overwrites it, it can be given back at once.
#pragma once

namespace vesk {

class variable;

class listset {
public:
  listset() = default;
  ~listset();
  listset(listset const&) = delete;
  listset& operator=(listset const&) = delete;

  void add(variable const& list);     // remembers a list this run stored (no-op when empty)
  bool remove(variable const& list);  // whether it was remembered; forgets it
  void clear();

private:
  bool grow();
  void const** slots = nullptr; // open addressing; null marks a free slot, `gone` a freed one
  int capacity = 0;
  int used = 0;
};

} // namespace vesk
