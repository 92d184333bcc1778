// avltree.h - the name index: a height-balanced binary search tree mapping names to pointers,
// used by named lists (capacity 64) and the function registry (capacity 32). Names are
// compared bytewise as unsigned characters and cut to capacity - 1 characters for insertion,
// lookup and erasure alike. The header is trivially copyable (it lives in a named list's
// payload); the tree owns its nodes and their name and object copies until erase or destroy.
#pragma once

#include "vesk.h"

#include <type_traits>

namespace vesk {

// One entry. `balance` is the height of the smaller-names subtree minus that of the
// greater-names subtree: -1, 0 or +1 between operations. `name` and `obj` are the node's own
// copies: capacity bytes (tag "avltreenode::name") and one pointer (tag "avltreenode::obj").
struct avltreenode {
  char* name;
  int balance;
  void* obj;
  avltreenode* child[2]; // indexed by direction: greater names first, then smaller names
};

class avltree {
public:
  // An empty index whose names hold `namecapacity` bytes, NUL included (at least 1); nodes
  // and copies come from `alloc`, or from the heap (new/delete, malloc/free) when it is null.
  explicit avltree(int namecapacity, allocater* alloc = nullptr);

  // Adds `name` with `object`; false when the name is present (nothing changes) or storage
  // ran out (whatever was obtained is given back; nothing changes).
  bool insert(char const* name, void* object);
  void* lookup(char const* name) const; // the object stored under name, or null
  void* erase(char const* name);        // removes name; its object, or null when absent
  void destroy();                       // gives back every node; the index is empty

  bool empty() const { return root == nullptr; }
  avltreenode const* top() const { return root; } // for inspection by tests
  int capacity() const { return namecapacity; }
  allocater* allocator() const { return alloc; }
  int size() const; // number of names, counted by a walk

  // Internal invariants, for tests: strict order of the names, stored balances equal to the
  // real height differences and within -1..1, names no longer than capacity - 1.
  bool check() const;

private:
  // Field order is the record's layout.
  int namecapacity;
  avltreenode* root;
  allocater* alloc;
};

static_assert(std::is_trivially_copyable_v<avltree> && std::is_trivially_destructible_v<avltree>,
              "avltree lives in a named list's payload and is copied with it");

} // namespace vesk
