#include "widgets/WidgetProtocol.h"

#include "host/HostTable.h"

#include <stdexcept>

ValueList& ValueList::add(const char* key, const void* value) {
  if (pairs_ == kMaxPairs)
    throw std::length_error("value list full");
  entries_[2 * pairs_] = const_cast<char*>(key);
  entries_[2 * pairs_ + 1] = const_cast<void*>(value);
  ++pairs_;
  entries_[2 * pairs_] = nullptr;
  return *this;
}

void sendWidgetMessage(int id, WidgetMessage message, ValueList& values) {
  MQWidget_Value(id, static_cast<int>(message), values.values());
}
