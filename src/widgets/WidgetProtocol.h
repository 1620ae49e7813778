// The widget protocol as the plug-in speaks it: the message numbers of MQWidget_Value and a value
// list built on the caller's stack (pointer pairs, key first, ended by a null key). Values are
// pointers of the kind the key wants: a string (const char*), a text (const char16_t*), an int,
// a bool (one byte), a double, a float or an opaque pointer; for reads the host writes through
// them. Relies on the host function table (host/).
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <cstddef>

enum WidgetMessage : int {
  MsgRun = MQWIDGET_MSG_RUN,
  MsgSystem = MQWIDGET_MSG_SYSTEM,
  MsgCreate = MQWIDGET_MSG_CREATE,
  MsgDelete = MQWIDGET_MSG_DELETE,
  MsgAddChild = MQWIDGET_MSG_ADD_CHILD,
  MsgAttachDialog = MQWIDGET_MSG_ATTACH_DIALOG,
  MsgGet = MQWIDGET_MSG_GET,
  MsgSet = MQWIDGET_MSG_SET,
  MsgCall = MQWIDGET_MSG_CALL,
  MsgAddHandler = MQWIDGET_MSG_ADD_HANDLER,
};

static_assert(sizeof(bool) == 1, "a bool value is one byte on the wire");

class ValueList {
public:
  static constexpr int kMaxPairs = 8;

  ValueList() { entries_[0] = nullptr; }
  ValueList(const ValueList&) = delete;
  ValueList& operator=(const ValueList&) = delete;

  // Appends a pair; the value must outlive the message. More than kMaxPairs pairs is a
  // programming error and throws std::length_error.
  ValueList& add(const char* key, const void* value);

  MQValueList values() { return entries_; }
  int size() const { return pairs_; }

private:
  void* entries_[2 * kMaxPairs + 1];
  int pairs_ = 0;
};

// MQWidget_Value(id, message, values) through the host function table.
void sendWidgetMessage(int id, WidgetMessage message, ValueList& values);
