// storeaccess.h - internal access to a value record for the interpreter: a named list's
// overlay, the payload bytes the engine keeps for itself (when stored storage was made, which
// family uses a store), the mark of a text that was cut, and path lookup that tells where a
// value was found. Nothing here is part of the exported interface.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>

#include "listheaders.h"
#include "vesk.h"

namespace vesk {

// Where locate() found a value: the value itself, the list of the overlay chain it was found
// in (`root`), and the named list whose element it is (`container`: the root for a plain name,
// the named list of the last segment but one for a dotted path).
struct located {
  variable* value;
  variable* root;
  variable* container;
};

// find(path) of a named list, telling where the value was found; all null when it was not.
located locate(variable* list, char const* path);

// A new variable `name` (undefined) in the named list `store`, as add(undefinedtype, name)
// makes it, except that it takes the place of the element remove() took out last when that one
// had the same name, which no element holds now, and is still undefined: a name deleted and
// made again, over and over, does not grow the list. Null without memory.
variable* addvariable(variable* store, char const* name);

struct storeaccess {
  static unsigned char* payload(variable& v) { return v.value.list; }

  // The overlay of a named list, or null (also for any other value).
  static variable* overlay(variable const& store) {
    if (store.tag != namedlisttype) return nullptr;
    return reinterpret_cast<namedlistheader const*>(store.value.list)->overlay;
  }
  static void setoverlay(variable& store, variable* overlay) { store.setoverlaypointer(overlay); }
  // Cuts a list back to its first n elements (see objlist::truncate); a named list also
  // forgets the names of the elements it drops.
  static void truncate(variable& list, int n) {
    if (list.tag == namedlisttype) {
      auto* header = reinterpret_cast<namedlistheader*>(list.value.list);
      for (int i = n; i < header->elements.size(); ++i) {
        auto* name = static_cast<char*>(header->elements.index(i));
        if (header->index.lookup(name) == name + namefieldlength) header->index.erase(name);
      }
      header->vacant = nullptr;
    }
    if (list.tag == listtype || list.tag == namedlisttype) {
      reinterpret_cast<objlist*>(list.value.list)->truncate(n);
      bumpgeneration(list);
    }
  }
  // The elements of a list or named list (a named list's are its named elements).
  static objlist& elements(variable& list) { return *reinterpret_cast<objlist*>(list.value.list); }
  // Where a list's blocks come from (null: the plain heap, and for any other value).
  static allocater* storage(variable const& list) {
    if (list.tag != listtype && list.tag != namedlisttype) return nullptr;
    return reinterpret_cast<objlist const*>(list.value.list)->allocator();
  }

  // Which storage a list or named list has: its first block (null when it has no element, and
  // for every other value).
  static void const* storageof(variable const& list) {
    if (list.tag != listtype && list.tag != namedlisttype) return nullptr;
    return reinterpret_cast<objlist const*>(list.value.list)->storage();
  }

  // Whether two list records are handles on the same storage with the same elements.
  static bool samelist(variable const& a, variable const& b) {
    if (a.tag != b.tag || (a.tag != listtype && a.tag != namedlisttype)) return false;
    auto const& x = *reinterpret_cast<objlist const*>(a.value.list);
    auto const& y = *reinterpret_cast<objlist const*>(b.value.list);
    return x.size() == y.size() && x.storage() == y.storage();
  }

  // The moment a list's storage was stored by the engine (a tick of its family's clock); 0 for
  // lists the engine did not store, and for every other value. Copies of the record carry it.
  static unsigned long long stamp(variable const& list) {
    if (list.tag != listtype && list.tag != namedlisttype) return 0;
    unsigned long long born;
    std::memcpy(&born, list.value.list + stampoffset, sizeof born);
    return born;
  }
  static void setstamp(variable& list, unsigned long long born) {
    if (list.tag == listtype || list.tag == namedlisttype)
      std::memcpy(list.value.list + stampoffset, &born, sizeof born);
  }

  // How often a list lost elements (remove, reset, truncate): a pointer to an element that was
  // found before is still the element of that name or position while this has not changed.
  static unsigned long long generation(variable const& list) {
    unsigned long long count;
    std::memcpy(&count, list.value.list + generationoffset, sizeof count);
    return count;
  }
  static void bumpgeneration(variable& list) {
    unsigned long long count = generation(list) + 1;
    std::memcpy(list.value.list + generationoffset, &count, sizeof count);
  }

  // The family using a store during a host's call, or 0.
  static std::atomic_ref<std::uintptr_t> usemark(variable& store) {
    return std::atomic_ref<std::uintptr_t>(
        *reinterpret_cast<std::uintptr_t*>(store.value.list + usemarkoffset));
  }

  // A number without flags and user data: nothing but its double needs keeping.
  static bool plainnumber(variable const& value) {
    return value.tag == numbertype && value.flags == 0 && value.userdata == 0;
  }
  static double numberof(variable const& value) { return value.value.number; } // numbers only
  // Element i of a named list and its name (null outside 0..count-1).
  static variable* namedelement(variable& list, int i, char const** name) {
    auto const& elements = *reinterpret_cast<objlist const*>(list.value.list);
    auto* element = static_cast<char*>(elements.index(i));
    if (element == nullptr) return nullptr;
    *name = element;
    return reinterpret_cast<variable*>(element + elements.nameoffset());
  }
  static bool isnumber(variable const& value) { return value.tag == numbertype; }
  static bool isnamedlist(variable const& value) { return value.tag == namedlisttype; }
  // Element `at` of a list or named list, as index() finds the position `at` truncates to;
  // null for any other value and for a number outside -1 < at < count.
  static variable* element(variable& list, double at) {
    if (list.tag != listtype && list.tag != namedlisttype) return nullptr;
    auto const& elements = *reinterpret_cast<objlist const*>(list.value.list);
    if (!(at > -1.0 && at < elements.size())) return nullptr;
    auto* slot = static_cast<char*>(elements.index(static_cast<int>(at)));
    return reinterpret_cast<variable*>(slot + elements.nameoffset());
  }
  // Writes a number over a number record, flags and user data cleared, the rest untouched.
  static void setnumber(variable& value, double number) {
    value.flags = 0;
    value.userdata = 0;
    value.value.number = number;
  }

  // A text that lost characters when it was made (longer than maxtextlen). The mark travels
  // with copies of the record; it is no flag a host can see or set.
  // The characters of a text record (maxtextlen of them and a terminating zero at most).
  static char* text(variable& value) { return value.value.text; }
  // A text record written in place becomes a new value: no flags and user data, and the mark
  // of a cut text when characters were left out.
  static void newtext(variable& value, bool cut) {
    value.flags = cut ? cutflag : 0;
    value.userdata = 0;
  }
  static bool iscut(variable const& text) {
    return text.tag == stringtype && (text.flags & cutflag);
  }
  static void keepcut(variable& to, variable const& from) {
    if (iscut(from)) to.flags = static_cast<unsigned short>(to.flags | cutflag);
  }
  static constexpr unsigned short cutflag = 0x8000;
};

} // namespace vesk
