// Object names: the host's 249-byte rule, the name index of a document, and the names the host
// makes (SimHost.h).
#include "DocumentIndex.h"
#include "HostState.h"

namespace sim {

namespace {

bool continuesCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The length of the UTF-8 character a byte begins (0 for a byte that begins none).
size_t characterLength(char byte) {
  const unsigned char lead = static_cast<unsigned char>(byte);
  return lead >= 0xC0 && lead < 0xE0   ? 2
         : lead >= 0xE0 && lead < 0xF0 ? 3
         : lead >= 0xF0 && lead < 0xF8 ? 4
                                       : 0;
}

} // namespace

std::string cutName(const std::string& text, size_t limit) {
  if (text.size() <= limit)
    return text;
  size_t start = limit;
  while (start > 0 && limit - start < 3 && continuesCharacter(text[start]))
    --start;
  const size_t cut = start < limit && characterLength(text[start]) > limit - start ? start : limit;
  return text.substr(0, cut);
}

void Object::setName(std::string name) {
  if (Document* owner = document()) {
    owner->index_->names.remove(this);
    name_ = std::move(name);
    owner->index_->names.add(this);
  } else {
    name_ = std::move(name);
  }
}

// ---- NameIndex ----

const std::vector<Object*>* NameIndex::bearers(const std::string& name) const {
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : &it->second;
}

void NameIndex::add(Object* object) {
  byName_[object->name()].push_back(object);
}

void NameIndex::remove(Object* object) {
  const auto it = byName_.find(object->name());
  if (it == byName_.end())
    return;
  std::vector<Object*>& objects = it->second;
  objects.erase(std::remove(objects.begin(), objects.end(), object), objects.end());
  if (objects.empty())
    byName_.erase(it);
}

// ---- The document's names ----

Object* Document::findObject(const std::string& name) const {
  const std::vector<Object*>* bearers = index_->names.bearers(name);
  if (!bearers)
    return nullptr;
  Object* lowest = nullptr;
  for (Object* object : *bearers)
    if (!lowest || indexOf(object) < indexOf(lowest))
      lowest = object;
  return lowest;
}

std::string Document::unusedObjectName(const std::string& proposal) const {
  std::string whole = cutName(proposal);
  if (!findObject(whole))
    return whole;
  for (unsigned long n = 2;; ++n) {
    const std::string number = std::to_string(n);
    std::string candidate = cutName(proposal, kNameBytes - number.size()) + number;
    if (!findObject(candidate))
      return candidate;
  }
}

void Document::renameObject(Object* object, const std::string& name) {
  index_->names.remove(object);
  HostAccess::setName(object, cutName(name));
  index_->names.add(object);
}

} // namespace sim
