#include "widgets/MQWidget.h"

#include "widgets/WidgetIdMap.h"

#include <utility>

MQWidgetBase::MQWidgetBase(int existingId) : id(existingId) {
  if (id != 0)
    widgetidmap::add(id, this);
}

MQWidgetBase::MQWidgetBase(CreateWidget, const char* typeName) {
  CreateHostWidget(typeName);
}

MQWidgetBase::~MQWidgetBase() {
  if (id != 0) {
    widgetidmap::remove(id);
    if (ownsWidget) {
      ValueList none;
      sendWidgetMessage(id, MsgDelete, none);
    }
  }
  id = 0;
  ownsWidget = false;
  handlers.clear();
}

void MQWidgetBase::CreateHostWidget(const char* typeName) {
  int newId = 0;
  ValueList values;
  values.add("type", typeName).add("id", &newId);
  sendWidgetMessage(0, MsgCreate, values);
  if (newId != 0) {
    id = newId;
    ownsWidget = true;
    widgetidmap::add(id, this);
  }
}

int MQWidgetBase::AddChildWidget(MQWidgetBase* child) {
  if (child == nullptr)
    return -1;
  int childId = child->id;
  int result = -1;
  ValueList values;
  values.add("child", &childId).add("result", &result);
  sendWidgetMessage(id, MsgAddChild, values);
  return result;
}

void MQWidgetBase::SetStringProperty(const char* key, const char* value) {
  ValueList values;
  values.add(key, value);
  sendWidgetMessage(id, MsgSet, values);
}

void MQWidgetBase::SetTextProperty(const char* key, const std::u16string& value) {
  ValueList values;
  values.add(key, value.c_str());
  sendWidgetMessage(id, MsgSet, values);
}

void MQWidgetBase::SetIntProperty(const char* key, int value) {
  ValueList values;
  values.add(key, &value);
  sendWidgetMessage(id, MsgSet, values);
}

void MQWidgetBase::SetBoolProperty(const char* key, bool value) {
  ValueList values;
  values.add(key, &value);
  sendWidgetMessage(id, MsgSet, values);
}

void MQWidgetBase::SetDoubleProperty(const char* key, double value) {
  ValueList values;
  values.add(key, &value);
  sendWidgetMessage(id, MsgSet, values);
}

void MQWidgetBase::SetItemBoolProperty(int index, const char* key, bool value) {
  ValueList values;
  values.add("index", &index).add(key, &value);
  sendWidgetMessage(id, MsgSet, values);
}

int MQWidgetBase::GetIntProperty(const char* key) const {
  int value = 0;
  ValueList values;
  values.add(key, &value);
  sendWidgetMessage(id, MsgGet, values);
  return value;
}

bool MQWidgetBase::GetBoolProperty(const char* key) const {
  bool value = false;
  ValueList values;
  values.add(key, &value);
  sendWidgetMessage(id, MsgGet, values);
  return value;
}

bool MQWidgetBase::GetItemBoolProperty(int index, const char* key) const {
  bool value = false;
  ValueList values;
  values.add("index", &index).add(key, &value);
  sendWidgetMessage(id, MsgGet, values);
  return value;
}

void MQWidgetBase::AddHandler(std::shared_ptr<MQWidgetEventClosureBase> closure) {
  MQWidgetEventProc proc = &WidgetEventCallback;
  bool prior = false;
  ValueList values;
  values.add("type", closure->eventName().c_str())
      .add("proc", reinterpret_cast<const void*>(proc))
      .add("pointer", closure.get())
      .add("prior", &prior);
  sendWidgetMessage(id, MsgAddHandler, values);
  // The host has only the raw pointer; the callback trusts it only once found in this list.
  handlers.push_back(std::move(closure));
}

void MQListBox::ClearItems() {
  ValueList values;
  values.add("clearitems", nullptr);
  sendWidgetMessage(id, MsgCall, values);
}

int MQListBox::AddItem(const std::u16string& text) {
  int result = -1;
  ValueList values;
  values.add("additem", nullptr).add("text", text.c_str()).add("result", &result);
  sendWidgetMessage(id, MsgCall, values);
  return result;
}

void MQListBox::MakeItemVisible(int index) {
  ValueList values;
  values.add("makeitemvisible", nullptr).add("index", &index);
  sendWidgetMessage(id, MsgCall, values);
}

std::u16string MQEdit::GetText() const {
  int length = GetIntProperty("text.length");
  if (length <= 0)
    return std::u16string();
  std::u16string buffer(static_cast<size_t>(length) + 1, u'\0');
  ValueList values;
  values.add("text", &buffer[0]);
  sendWidgetMessage(id, MsgGet, values);
  return std::u16string(buffer.c_str());
}
