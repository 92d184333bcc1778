// avltree.cpp - the name index: recursive insertion and removal with single and double
// rotations, iterative lookup, destruction children first. Storage for a node, its name copy
// and its object copy comes from the tree's allocater or the heap and goes back the same way.
#include "avltree.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace vesk {

namespace {

constexpr int greater = 0; // child index of the greater-names subtree
constexpr int smaller = 1; // child index of the smaller-names subtree

char const nodetag[] = "avltreenode";
char const nametag[] = "avltreenode::name";
char const objtag[] = "avltreenode::obj";

// Where a tree's nodes and copies come from, and how long its keys are.
struct treestorage {
  int capacity;
  allocater* alloc;

  int keylength() const { return capacity - 1; }

  void* get(unsigned bytes, char const* tag) const {
    return alloc != nullptr ? alloc->alloc(bytes, tag) : std::malloc(bytes);
  }
  void put(void* pointer) const {
    if (alloc != nullptr)
      alloc->free(pointer);
    else
      std::free(pointer);
  }
  avltreenode* newnode() const {
    if (alloc == nullptr) return new (std::nothrow) avltreenode{};
    void* memory = alloc->alloc(sizeof(avltreenode), nodetag);
    return memory != nullptr ? new (memory) avltreenode{} : nullptr;
  }
  void deletenode(avltreenode* node) const {
    if (alloc != nullptr)
      alloc->free(node);
    else
      delete node;
  }
  void release(avltreenode* node) const {
    put(node->name);
    put(node->obj);
    deletenode(node);
  }
};

// Orders a node's (already cut) name against a name cut to the key length, as strncmp does
// (bytes compared unsigned). Written out: names are short, and most differ in the first byte,
// where a call into the C library would cost more than the comparison.
int compare(char const* nodename, char const* name, int keylength) {
  for (int i = 0; i < keylength; ++i) {
    auto a = static_cast<unsigned char>(nodename[i]), b = static_cast<unsigned char>(name[i]);
    if (a != b) return a < b ? -1 : 1;
    if (a == 0) return 0;
  }
  return 0;
}

int sideof(int order) {
  return order < 0 ? greater : smaller;
}

// Rebalances the node in *slot, whose balance is +2 or -2; true when the subtree became lower.
bool rebalance(avltreenode** slot) {
  avltreenode* node = *slot;
  int taller = node->balance < 0 ? greater : smaller;
  int facing = 1 - taller; // the side of the taller child that faces the node
  int step = node->balance < 0 ? 1 : -1;
  avltreenode* tall = node->child[taller];
  if (tall->balance == step) { // the taller child leans the other way: double rotation
    avltreenode* middle = tall->child[facing];
    int before = middle->balance;
    node->child[taller] = middle->child[facing];
    tall->child[facing] = middle->child[taller];
    middle->child[facing] = node;
    middle->child[taller] = tall;
    *slot = middle;
    middle->child[greater]->balance = before > 0 ? -before : 0;
    middle->child[smaller]->balance = before < 0 ? -before : 0;
    middle->balance = 0;
    return true;
  }
  bool lower = tall->balance != 0;
  node->child[taller] = tall->child[facing];
  tall->child[facing] = node;
  *slot = tall;
  tall->balance += step;
  node->balance = -tall->balance;
  return lower;
}

enum class inserted { added, present, failed };

inserted insertat(avltreenode** slot, char const* name, void* object, treestorage const& store,
                  bool& grew) {
  grew = false;
  avltreenode* node = *slot;
  if (node == nullptr) {
    avltreenode* fresh = store.newnode();
    char* copy = fresh != nullptr
                     ? static_cast<char*>(store.get(static_cast<unsigned>(store.capacity), nametag))
                     : nullptr;
    void* objcopy = copy != nullptr ? store.get(sizeof(void*), objtag) : nullptr;
    if (objcopy == nullptr) {
      if (copy != nullptr) store.put(copy);
      if (fresh != nullptr) store.deletenode(fresh);
      return inserted::failed;
    }
    size_t length = strnlen(name, static_cast<size_t>(store.keylength()));
    std::memcpy(copy, name, length);
    copy[length] = '\0';
    std::memcpy(objcopy, &object, sizeof(void*));
    fresh->name = copy;
    fresh->obj = objcopy;
    *slot = fresh;
    grew = true;
    return inserted::added;
  }
  int order = compare(node->name, name, store.keylength());
  if (order == 0) return inserted::present;
  int side = sideof(order);
  bool childgrew = false;
  inserted result = insertat(&node->child[side], name, object, store, childgrew);
  if (result != inserted::added || !childgrew) return result;
  node->balance += side == greater ? -1 : 1;
  if (node->balance == 1 || node->balance == -1)
    grew = true;
  else if (node->balance != 0)
    rebalance(slot);
  return inserted::added;
}

// Takes `delta` off the balance of the node in *slot after one of its subtrees shrank;
// returns whether the node's own subtree became lower.
bool settle(avltreenode** slot, int delta) {
  if (delta == 0) return false;
  avltreenode* node = *slot;
  node->balance -= delta;
  if (node->balance == 0) return true;
  if (node->balance == 1 || node->balance == -1) return false;
  return rebalance(slot);
}

// Unlinks the greatest node of the subtree in *slot, keeping its copies; `shrank` as above.
avltreenode* detachgreatest(avltreenode** slot, bool& shrank) {
  avltreenode* node = *slot;
  if (node->child[greater] == nullptr) {
    *slot = node->child[smaller];
    shrank = true;
    return node;
  }
  bool childshrank = false;
  avltreenode* found = detachgreatest(&node->child[greater], childshrank);
  shrank = settle(slot, childshrank ? -1 : 0);
  return found;
}

// Removes `name` from the subtree in *slot; false when absent (nothing changes).
bool eraseat(avltreenode** slot, char const* name, treestorage const& store, bool& shrank,
             void*& object) {
  shrank = false;
  avltreenode* node = *slot;
  if (node == nullptr) return false;
  int order = compare(node->name, name, store.keylength());
  if (order != 0) {
    int side = sideof(order);
    bool childshrank = false;
    if (!eraseat(&node->child[side], name, store, childshrank, object)) return false;
    shrank = settle(slot, childshrank ? (side == greater ? -1 : 1) : 0);
    return true;
  }
  std::memcpy(&object, node->obj, sizeof(void*));
  if (node->child[greater] == nullptr || node->child[smaller] == nullptr) {
    *slot = node->child[greater] != nullptr ? node->child[greater] : node->child[smaller];
    store.release(node);
    shrank = true;
    return true;
  }
  // Two children: the in-order predecessor's copies move into this node.
  bool childshrank = false;
  avltreenode* predecessor = detachgreatest(&node->child[smaller], childshrank);
  store.put(node->name);
  store.put(node->obj);
  node->name = predecessor->name;
  node->obj = predecessor->obj;
  store.deletenode(predecessor);
  shrank = settle(slot, childshrank ? 1 : 0);
  return true;
}

void destroyat(avltreenode* node, treestorage const& store) {
  if (node == nullptr) return;
  destroyat(node->child[greater], store);
  destroyat(node->child[smaller], store);
  store.release(node);
}

int countat(avltreenode const* node) {
  return node == nullptr ? 0 : 1 + countat(node->child[greater]) + countat(node->child[smaller]);
}

// In-order walk; returns the subtree's height and clears `ok` at the first broken invariant.
int checkat(avltreenode const* node, int keylength, char const*& previous, bool& ok) {
  if (node == nullptr) return 0;
  int lower = checkat(node->child[smaller], keylength, previous, ok);
  if (node->name == nullptr || node->obj == nullptr ||
      strnlen(node->name, static_cast<size_t>(keylength) + 1) > static_cast<size_t>(keylength))
    ok = false;
  else if (previous != nullptr && std::strcmp(previous, node->name) >= 0)
    ok = false;
  else
    previous = node->name;
  int higher = checkat(node->child[greater], keylength, previous, ok);
  if (node->balance != lower - higher || node->balance < -1 || node->balance > 1) ok = false;
  return 1 + (lower > higher ? lower : higher);
}

} // namespace

avltree::avltree(int capacity, allocater* allocator)
    : namecapacity(capacity > 0 ? capacity : 1), root(nullptr), alloc(allocator) {}

bool avltree::insert(char const* name, void* object) {
  bool grew = false;
  return insertat(&root, name, object, treestorage{namecapacity, alloc}, grew) == inserted::added;
}

void* avltree::lookup(char const* name) const {
  int keylength = namecapacity - 1;
  for (avltreenode const* node = root; node != nullptr;) {
    int order = compare(node->name, name, keylength);
    if (order == 0) {
      void* object;
      std::memcpy(&object, node->obj, sizeof(void*));
      return object;
    }
    node = node->child[sideof(order)];
  }
  return nullptr;
}

void* avltree::erase(char const* name) {
  bool shrank = false;
  void* object = nullptr;
  return eraseat(&root, name, treestorage{namecapacity, alloc}, shrank, object) ? object : nullptr;
}

void avltree::destroy() {
  destroyat(root, treestorage{namecapacity, alloc});
  root = nullptr;
}

int avltree::size() const {
  return countat(root);
}

bool avltree::check() const {
  bool ok = true;
  char const* previous = nullptr;
  checkat(root, namecapacity - 1, previous, ok);
  return ok;
}

} // namespace vesk
