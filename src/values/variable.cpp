// variable.cpp - the value record: constructors, type tests, scalar accessors, flags, user
// data and reset. A record is plain bytes: copies are byte copies and nothing is released
// except by reset(), which gives back the blocks and index of a list or named list.
#include "listheaders.h"
#include "releasehold.h"
#include "storeaccess.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace vesk {

namespace {

// Flag bits of the record's flag word.
constexpr unsigned short processedflag = 0x01;
constexpr unsigned short constantflag = 0x02;
constexpr unsigned short disabledflag = 0x04;
constexpr unsigned short errorflag = 0x08;
constexpr unsigned short invalidflag = 0x10;
constexpr unsigned short changedflag = 0x20;

char const emptytext[] = "";

unsigned short withflag(unsigned short flags, unsigned short bit, bool on) {
  return static_cast<unsigned short>(on ? flags | bit : flags & ~bit);
}

} // namespace

// Every constructor writes the whole record, so that a byte copy or a compare of two records
// never reads bytes that were not written.
variable::variable() : tag(undefinedtype), flags(0), userdata(0) {
  std::memset(value.list, 0, sizeof value.list);
}

variable::variable(double number) : tag(numbertype), flags(0), userdata(0) {
  std::memset(value.list, 0, sizeof value.list);
  value.number = number;
}

// A longer text keeps its first maxtextlen characters and carries the mark of a cut text.
variable::variable(char const* text) : tag(stringtype), flags(0), userdata(0) {
  size_t length = strnlen(text, maxtextlen + 1);
  if (length > maxtextlen) {
    length = maxtextlen;
    flags = storeaccess::cutflag;
  }
  std::memcpy(value.text, text, length);
  std::memset(value.text + length, 0, sizeof value.text - length);
}

variable::variable(void const* data, int length) : tag(binarytype), flags(0), userdata(0) {
  std::memset(value.list, 0, sizeof value.list);
  value.binary.data = const_cast<void*>(data);
  value.binary.length = length;
}

variable::variable(variable const* source, allocater*) : tag(undefinedtype), flags(0), userdata(0) {
  if (source == nullptr) {
    std::memset(value.list, 0, sizeof value.list);
    return;
  }
  *this = *source;
  flags = flags & storeaccess::cutflag; // a cut text stays known as cut
  userdata = 0;
}

variable::variable(vartype type, allocater* alloc) : tag(type), flags(0), userdata(0) {
  static_assert(sizeof(payload) == payloadsize && alignof(payload) == 8);
  static_assert(offsetof(payload, list) == 0);
  std::memset(value.list, 0, sizeof value.list);
  switch (type) {
  case listtype:
    new (value.list) objlist(static_cast<int>(sizeof(variable)), alloc, 0);
    break;
  case namedlisttype:
    new (value.list) namedlistheader{objlist(namedelementsize, alloc, namefieldlength),
                                     avltree(namedlistcapacity, alloc), nullptr, nullptr};
    break;
  default: // numbers are 0.0, texts empty, binaries a null pointer of length 0: all zero bytes
    break;
  }
}

vartype variable::type() const {
  return tag;
}
bool variable::isof(vartype const& type) const {
  return tag == type;
}
bool variable::isnumber() const {
  return tag == numbertype;
}
bool variable::isstring() const {
  return tag == stringtype;
}
bool variable::islist() const {
  return tag == listtype;
}
bool variable::isnamedlist() const {
  return tag == namedlisttype;
}
bool variable::isbinary() const {
  return tag == binarytype;
}

double variable::number() const {
  return tag == numbertype ? value.number : 0.0;
}
char const* variable::string() const {
  return tag == stringtype ? value.text : emptytext;
}
void* variable::binary() const {
  return tag == binarytype ? value.binary.data : nullptr;
}

int variable::count() {
  switch (tag) {
  case listtype:
  case namedlisttype:
    return reinterpret_cast<objlist*>(value.list)->size();
  case binarytype:
    return value.binary.length;
  default:
    return 0;
  }
}

long variable::getuserdata() const {
  return userdata;
}
void variable::setuserdata(long data) {
  userdata = data;
}

void variable::processed(bool on) {
  flags = withflag(flags, processedflag, on);
}
void variable::setdisabled(bool on) {
  flags = withflag(flags, disabledflag, on);
}
void variable::seterror(bool on) {
  flags = withflag(flags, errorflag, on);
}
void variable::setinvalid(bool on) {
  flags = withflag(flags, invalidflag, on);
}
void variable::setchanged(bool on) {
  flags = withflag(flags, changedflag, on);
}
bool variable::isprocessed() const {
  return (flags & processedflag) != 0;
}
bool variable::isconstant() const {
  return (flags & constantflag) != 0;
}
bool variable::isdisabled() const {
  return (flags & disabledflag) != 0;
}
bool variable::haserror() const {
  return (flags & errorflag) != 0;
}
bool variable::isinvalid() const {
  return (flags & invalidflag) != 0;
}
bool variable::ischanged() const {
  return (flags & changedflag) != 0;
}

// A list whose storage a hold takes over (see releasehold.h) gets empty headers of its own;
// the hold releases the old blocks and index later.
bool variable::reset() {
  switch (tag) {
  case numbertype:
  case stringtype:
    return true;
  case listtype: {
    auto* list = reinterpret_cast<objlist*>(value.list);
    if (heldforrelease(*this))
      *list = objlist(static_cast<int>(sizeof(variable)), list->allocator(), 0);
    else
      list->clear();
    storeaccess::bumpgeneration(*this);
    return true;
  }
  case namedlisttype: {
    auto* header = reinterpret_cast<namedlistheader*>(value.list);
    if (heldforrelease(*this)) {
      allocater* alloc = header->elements.allocator();
      header->elements = objlist(namedelementsize, alloc, namefieldlength);
      header->index = avltree(namedlistcapacity, alloc);
    } else {
      header->elements.clear();
      header->index.destroy();
    }
    header->vacant = nullptr;
    storeaccess::bumpgeneration(*this);
    return true;
  }
  default:
    return false;
  }
}

} // namespace vesk
