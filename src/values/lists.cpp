// lists.cpp - the list operations of the value record: cursor iteration (plain, by type, with
// names), indexing, dotted-path lookup through the overlay, removal by name and the add forms.
// Every operation checks the record's type first and is a no-op (null, false) on another type.
#include "listheaders.h"
#include "storeaccess.h"

#include <cstdlib>
#include <cstring>

namespace vesk {

namespace {

// Chains of overlays up to this length are searched from an array on the native stack.
constexpr int shortchain = 16;

objlist* elementsof(unsigned char* payload) {
  return reinterpret_cast<objlist*>(payload);
}
namedlistheader* headerof(unsigned char* payload) {
  return reinterpret_cast<namedlistheader*>(payload);
}

// The value inside an element (after its name field, if any), or null for no element.
variable* valueof(void* element, int nameoffset) {
  return element != nullptr ? reinterpret_cast<variable*>(static_cast<char*>(element) + nameoffset)
                            : nullptr;
}

// For the name-returning forms: the element's name field, or null when there is no element.
variable* withname(void* element, char** name) {
  if (name != nullptr) *name = static_cast<char*>(element);
  return valueof(element, namefieldlength);
}

} // namespace

variable* variable::first() {
  if (tag != listtype && tag != namedlisttype) return nullptr;
  objlist* list = elementsof(value.list);
  return valueof(list->first(), list->nameoffset());
}

variable* variable::next() {
  if (tag != listtype && tag != namedlisttype) return nullptr;
  objlist* list = elementsof(value.list);
  return valueof(list->next(), list->nameoffset());
}

variable* variable::first(vartype type) {
  variable* element = first();
  while (element != nullptr && element->tag != type) element = next();
  return element;
}

variable* variable::next(vartype type) {
  variable* element = next();
  while (element != nullptr && element->tag != type) element = next();
  return element;
}

variable* variable::first(char** name) {
  if (tag != namedlisttype) return nullptr;
  return withname(elementsof(value.list)->first(), name);
}

variable* variable::next(char** name) {
  if (tag != namedlisttype) return nullptr;
  return withname(elementsof(value.list)->next(), name);
}

variable* variable::first(char** name, vartype type) {
  if (tag != namedlisttype) return nullptr;
  objlist* list = elementsof(value.list);
  void* element = list->first();
  while (element != nullptr && valueof(element, namefieldlength)->tag != type)
    element = list->next();
  return withname(element, name);
}

variable* variable::next(char** name, vartype type) {
  if (tag != namedlisttype) return nullptr;
  objlist* list = elementsof(value.list);
  void* element = list->next();
  while (element != nullptr && valueof(element, namefieldlength)->tag != type)
    element = list->next();
  return withname(element, name);
}

variable* variable::index(int i) {
  if (tag != listtype && tag != namedlisttype) return nullptr;
  objlist* list = elementsof(value.list);
  return valueof(list->index(i), list->nameoffset());
}

namespace {

// A path looked up in one list: segment by segment, each segment but the last in the name
// index of the named list found for the one before it (whose own overlay is not consulted).
// A segment followed by '.' is cut to maxsegmentlen characters, and every key to the index's
// capacity - 1, exactly as names are cut when they are added.
located lookuppath(variable* list, char const* path, bool plain) {
  located at{nullptr, list, list};
  avltree const* index = &headerof(storeaccess::payload(*list))->index;
  if (plain) {
    at.value = static_cast<variable*>(index->lookup(path));
    return at;
  }
  for (char const* rest = path;;) {
    char const* dot = std::strchr(rest, '.');
    if (dot == nullptr) {
      at.value = static_cast<variable*>(index->lookup(rest));
      return at;
    }
    char segment[maxsegmentlen + 1];
    size_t length = static_cast<size_t>(dot - rest);
    if (length > maxsegmentlen) length = maxsegmentlen;
    std::memcpy(segment, rest, length);
    segment[length] = '\0';
    auto* found = static_cast<variable*>(index->lookup(segment));
    if (found == nullptr || found->type() != namedlisttype) return at;
    at.container = found;
    index = &headerof(storeaccess::payload(*found))->index;
    rest = dot + 1;
  }
}

variable* overlayof(variable* list) {
  return headerof(storeaccess::payload(*list))->overlay;
}

// The list after `list` in a chain of overlays, or null at its end.
variable* nextinchain(variable* list) {
  variable* overlay = overlayof(list);
  return overlay != nullptr && overlay->type() == namedlisttype ? overlay : nullptr;
}

// The number of different lists in the chain that starts at `list`: up to its end, or up to
// the first list met a second time (Brent's cycle detection: linear time, no memory).
int chainlength(variable* list) {
  int power = 1, lambda = 1;
  variable* tortoise = list;
  variable* hare = nextinchain(list);
  while (hare != nullptr && hare != tortoise) {
    if (power == lambda) {
      tortoise = hare;
      power *= 2;
      lambda = 0;
    }
    hare = nextinchain(hare);
    ++lambda;
  }
  if (hare == nullptr) {
    int n = 0;
    for (variable* l = list; l != nullptr; l = nextinchain(l)) ++n;
    return n;
  }
  variable* first = list;
  variable* ahead = list;
  for (int i = 0; i < lambda; ++i) ahead = nextinchain(ahead);
  int mu = 0;
  for (; first != ahead; ++mu) {
    first = nextinchain(first);
    ahead = nextinchain(ahead);
  }
  return mu + lambda;
}

// Looks `path` up in the `n` lists of the chain from `list`, the deepest overlay first.
located searchchain(variable* list, int n, char const* path, bool plain) {
  variable* few[shortchain];
  auto chain = n <= shortchain ? few : static_cast<variable**>(malloc(sizeof(variable*) * n));
  if (chain != nullptr) {
    variable* l = list;
    for (int i = 0; i < n; ++i, l = nextinchain(l)) chain[i] = l;
  }
  located found{nullptr, nullptr, nullptr};
  for (int i = n - 1; i >= 0 && found.value == nullptr; --i) {
    variable* l = list; // without memory for the array, each list is walked to again
    if (chain != nullptr)
      l = chain[i];
    else
      for (int k = 0; k < i; ++k) l = nextinchain(l);
    found = lookuppath(l, path, plain);
  }
  if (chain != few) free(chain);
  if (found.value == nullptr) found = {nullptr, nullptr, nullptr};
  return found;
}

} // namespace

// Overlays first (the deepest one first), then the list itself; a chain that leads back to a
// list already in it ends there, so a loop of overlays cannot recurse without end. Chains of
// any length are followed.
located locate(variable* list, char const* path) {
  located none{nullptr, nullptr, nullptr};
  if (list == nullptr || list->type() != namedlisttype || path == nullptr) return none;
  // A plain name (no '.') is looked up directly in each list: no segment to cut.
  bool plain = std::strchr(path, '.') == nullptr;
  // Most lists have no overlay, and a store most often one (a call's parameters) with none of
  // its own: the chain below would hold just those.
  variable* overlay = overlayof(list);
  if (overlay == nullptr || overlay->type() != namedlisttype || overlay == list)
    return lookuppath(list, path, plain);
  if (overlayof(overlay) == nullptr) {
    located found = lookuppath(overlay, path, plain);
    return found.value != nullptr ? found : lookuppath(list, path, plain);
  }
  return searchchain(list, chainlength(list), path, plain);
}

variable* variable::find(char const* path) {
  if (tag != namedlisttype || path == nullptr) return nullptr;
  return locate(this, path).value;
}

// A later element of the same name (a host may add a name twice) takes the removed one's place
// in the index, so that find() answers with the first element of that name not removed.
bool variable::remove(char const* name) {
  if (tag != namedlisttype || name == nullptr) return false;
  namedlistheader* header = headerof(value.list);
  auto* found = static_cast<variable*>(header->index.lookup(name));
  if (found == nullptr) return false;
  found->reset();
  *found = variable();
  header->index.erase(name);
  header->vacant = found;
  char const* key = reinterpret_cast<char const*>(found) - namefieldlength;
  // Elements of that name before the removed one were removed before it (the index answered
  // with the first one not removed): only later ones are candidates.
  objlist walker = header->elements; // a copy: the list's own cursor stays where it is
  bool after = false;
  for (void* element = walker.first(); element != nullptr; element = walker.next()) {
    variable* candidate = valueof(element, namefieldlength);
    if (after && std::strcmp(static_cast<char*>(element), key) == 0) {
      header->index.insert(key, candidate);
      break;
    }
    after = after || candidate == found;
  }
  storeaccess::bumpgeneration(*this);
  return true;
}

variable* addvariable(variable* store, char const* name) {
  if (!store->isnamedlist() || name == nullptr) return nullptr;
  namedlistheader* header = headerof(storeaccess::payload(*store));
  variable* vacant = header->vacant;
  char key[namefieldlength] = {}; // the name as an element keeps it
  std::strncpy(key, name, namefieldlength - 1);
  if (vacant == nullptr || vacant->type() != undefinedtype ||
      std::strcmp(reinterpret_cast<char const*>(vacant) - namefieldlength, key) != 0 ||
      header->index.lookup(key) != nullptr)
    return store->add(undefinedtype, name);
  if (!header->index.insert(key, vacant)) return nullptr;
  header->vacant = nullptr;
  *vacant = variable(); // flags and user data cleared as for a new element
  return vacant;
}

variable* variable::add(variable* item) {
  if (tag != listtype || item == nullptr) return nullptr;
  return static_cast<variable*>(elementsof(value.list)->append(item));
}

variable* variable::add(variable& item) {
  return add(&item);
}

variable* variable::add(double number) {
  variable item(number);
  return add(&item);
}

variable* variable::add(char const* text) {
  if (text == nullptr) return nullptr;
  variable item(text);
  return add(&item);
}

variable* variable::add(void* data, int length) {
  variable item(data, length);
  return add(&item);
}

variable* variable::add(vartype type) {
  if (tag != listtype) return nullptr;
  variable item(type, elementsof(value.list)->allocator());
  return add(&item);
}

// A name the index has already still gets its element: iteration and index() reach it, find()
// answers with the earlier element. Without storage for the name's index entry the element
// goes again, and the list is as it was.
variable* variable::add(variable* item, char const* name) {
  if (tag != namedlisttype || item == nullptr || name == nullptr) return nullptr;
  namedlistheader* header = headerof(value.list);
  auto* added = static_cast<variable*>(header->elements.appendnamed(item, name));
  if (added == nullptr || header->index.insert(name, added) || header->index.lookup(name))
    return added;
  header->elements.truncate(header->elements.size() - 1);
  return nullptr;
}

variable* variable::add(variable& item, char const* name) {
  return add(&item, name);
}

variable* variable::add(double number, char const* name) {
  variable item(number);
  return add(&item, name);
}

variable* variable::add(char const* text, char const* name) {
  if (text == nullptr) return nullptr;
  variable item(text);
  return add(&item, name);
}

variable* variable::add(void* data, int length, char const* name) {
  variable item(data, length);
  return add(&item, name);
}

variable* variable::add(vartype type, char const* name) {
  if (tag != namedlisttype) return nullptr;
  variable item(type, elementsof(value.list)->allocator());
  return add(&item, name);
}

} // namespace vesk
