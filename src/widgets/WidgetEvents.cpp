#include "widgets/WidgetEvents.h"

#include "entry/ValueListLookup.h"
#include "widgets/MQWidget.h"
#include "widgets/WidgetIdMap.h"

#include <cstring>
#include <memory>

namespace {

int g_liveCanvases = 0;

const char* const kMouseEvents[] = {
    "leftdown",  "leftup",  "leftdoubleclick",  "middledown", "middleup",  "middledoubleclick",
    "rightdown", "rightup", "rightdoubleclick", "mousemove",  "mousewheel"};

bool isMouseEvent(const char* type) {
  for (const char* name : kMouseEvents)
    if (std::strcmp(type, name) == 0)
      return true;
  return false;
}

bool isKeyEvent(const char* type) {
  return std::strcmp(type, "keydown") == 0 || std::strcmp(type, "keyup") == 0;
}

template <typename Record> void readButtonState(MQValueList values, Record& record) {
  int state = valuelist::findInt(values, "button_state", 0);
  record.leftButton = (state & kButtonLeft) != 0;
  record.rightButton = (state & kButtonRight) != 0;
  record.shift = (state & kButtonShift) != 0;
  record.ctrl = (state & kButtonCtrl) != 0;
  record.middleButton = (state & kButtonMiddle) != 0;
  record.alt = (state & kButtonAlt) != 0;
}

MouseEventRecord readMouseRecord(MQValueList values) {
  MouseEventRecord record;
  record.client_x = valuelist::findInt(values, "client_x", 0);
  record.client_y = valuelist::findInt(values, "client_y", 0);
  record.screen_x = valuelist::findInt(values, "screen_x", 0);
  record.screen_y = valuelist::findInt(values, "screen_y", 0);
  record.down_x = valuelist::findInt(values, "down_x", 0);
  record.down_y = valuelist::findInt(values, "down_y", 0);
  record.last_x = valuelist::findInt(values, "last_x", 0);
  record.last_y = valuelist::findInt(values, "last_y", 0);
  record.wheel_delta = valuelist::findInt(values, "wheel_delta", 0);
  readButtonState(values, record);
  record.pressure = valuelist::findFloat(values, "pressure");
  return record;
}

KeyEventRecord readKeyRecord(MQValueList values) {
  KeyEventRecord record;
  record.key = valuelist::findInt(values, "key", 0);
  record.auto_repeat = valuelist::findInt(values, "auto_repeat", 0) != 0;
  readButtonState(values, record);
  return record;
}

// The target's own closure whose address the host handed back, or none.
std::shared_ptr<MQWidgetEventClosureBase> findOwnClosure(const MQWidgetBase& target,
                                                         const void* pointer) {
  for (const auto& handle : target.Handlers())
    if (handle.get() == pointer)
      return handle;
  return nullptr;
}

void reportFinished(bool finished, unsigned char* hostFinished) {
  if (finished && hostFinished != nullptr)
    *hostFinished = 1;
}

int routeEvent(MQDocument document, MQValueList values, void* pointer) {
  if (values == nullptr)
    return 0;
  int targetId = valuelist::findInt(values, "target_id", 0);
  int senderId = valuelist::findInt(values, "sender_id", 0);
  auto* hostFinished = static_cast<unsigned char*>(valuelist::findPointer(values, "finished"));
  auto* type = static_cast<const char*>(valuelist::findPointer(values, "type"));
  if (type == nullptr)
    return 0;
  MQWidgetBase* target = widgetidmap::find(targetId);
  if (target == nullptr)
    return 0;
  // A local handle keeps the closure alive even when its handler destroys the widget.
  std::shared_ptr<MQWidgetEventClosureBase> closure = findOwnClosure(*target, pointer);
  if (!closure || closure->eventName() != type)
    return 0;
  MQWidgetBase* sender = widgetidmap::find(senderId);

  if (isMouseEvent(type)) {
    MouseEventRecord record = readMouseRecord(values);
    int result = closure->invoke(sender, document, &record);
    reportFinished(record.finished, hostFinished);
    return result;
  }
  if (isKeyEvent(type)) {
    KeyEventRecord record = readKeyRecord(values);
    int result = closure->invoke(sender, document, &record);
    reportFinished(record.finished, hostFinished);
    return result;
  }
  if (std::strcmp(type, "paint") == 0) {
    MQCanvas* canvas = new MQCanvas(valuelist::findPointer(values, "canvas"));
    int result = 0;
    try {
      result = closure->invoke(sender, document, &canvas);
    } catch (...) {
      delete canvas;
      throw;
    }
    delete canvas; // null when the handler kept it
    return result;
  }
  return closure->invoke(sender, document, nullptr);
}

} // namespace

MQCanvas::MQCanvas(void* hostCanvas) : hostCanvas_(hostCanvas) {
  ++g_liveCanvases;
}

MQCanvas::~MQCanvas() {
  --g_liveCanvases;
}

int MQCanvas::liveCount() {
  return g_liveCanvases;
}

bool closureReceiverAlive(int receiverId, const MQWidgetBase* receiver) {
  MQWidgetBase* registered = widgetidmap::find(receiverId);
  return registered != nullptr && registered == receiver;
}

int WidgetEventCallback(MQDocument document, MQValueList values, void* pointer) {
  try {
    return routeEvent(document, values, pointer);
  } catch (...) {
    // The host is C: nothing may unwind into it.
    return 0;
  }
}
