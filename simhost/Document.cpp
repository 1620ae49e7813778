// A document's slots and the host operations on them (SimHost.h: Document).
#include "DocumentIndex.h"
#include "HostState.h"

namespace sim {

Document::Document(Host& host) : host_(host), index_(std::make_unique<DocumentIndex>()) {
  host_.state_->documents.insert(this);
}

Document::~Document() {
  HostState& state = *host_.state_;
  state.documents.erase(this);
  index_->slots.forEach([&state](Object* object) {
    if (object) {
      state.objects.erase(object);
      delete object;
    }
  });
  for (Object* object : removed_)
    delete object;
}

Object* Document::addObject(const std::string& name) {
  auto* object = new Object(name);
  HostAccess::setDocument(object, this);
  host_.state_->objects.insert(object);
  index_->slots.insert(index_->slots.size(), object);
  index_->names.add(object);
  return object;
}

void Document::addEmptySlot() {
  index_->slots.insert(index_->slots.size(), nullptr);
}

int Document::slotCount() const {
  return index_->slots.size();
}

Object* Document::objectAt(int slot) const {
  return index_->slots.at(slot);
}

int Document::indexOf(const Object* object) const {
  return object && object->document() == this ? index_->slots.slotOf(object) : -1;
}

std::vector<Object*> Document::objects() const {
  std::vector<Object*> result;
  index_->slots.forEach([&result](Object* object) {
    if (object)
      result.push_back(object);
  });
  return result;
}

int Document::insertObject(Object* object, const Object* before) {
  host_.state_->detached.erase(object);
  HostAccess::setDocument(object, this);
  const int reference = indexOf(before);
  const int at = reference < 0 ? slotCount() : reference + 1;
  index_->slots.insert(at, object);
  index_->names.add(object);
  return at;
}

void Document::deleteObject(int slot) {
  Object* object = objectAt(slot);
  if (!object)
    return;
  index_->names.remove(object);
  index_->slots.empty(slot);
  host_.state_->objects.erase(object);
  HostAccess::setDocument(object, nullptr);
  removed_.push_back(object);
}

} // namespace sim
