// Widget event routing: the records a handler receives, the closures that bind a receiver object
// to one of its member functions, and WidgetEventCallback, the one plug-in function the host calls
// for every widget event. The host keeps only a raw closure pointer; the callback uses it only
// after finding it among the target widget's own closures, and a closure calls its receiver only
// while the receiver is still the widget registered under its id.
// Relies on the id map (WidgetIdMap.h) and the value-list lookups (entry/ValueListLookup.h).
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <string>
#include <typeinfo>

class MQWidgetBase;

struct KeyEventRecord {
  int key = 0;
  bool auto_repeat = false;
  bool leftButton = false;
  bool middleButton = false;
  bool rightButton = false;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool finished = false; // a handler sets it to tell the host the event is finished
};

struct MouseEventRecord {
  int client_x = 0;
  int client_y = 0;
  int screen_x = 0;
  int screen_y = 0;
  int down_x = 0;
  int down_y = 0;
  int last_x = 0;
  int last_y = 0;
  int wheel_delta = 0;
  bool leftButton = false;
  bool middleButton = false;
  bool rightButton = false;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  float pressure = 0.0f;
  bool finished = false;
};

// "button_state" bits: the mouse-and-key state bits of the Win32 mouse messages, plus Alt.
enum ButtonStateBit : int {
  kButtonLeft = 0x01,
  kButtonRight = 0x02,
  kButtonShift = 0x04,
  kButtonCtrl = 0x08,
  kButtonMiddle = 0x10,
  kButtonAlt = 0x20,
};

// The host's canvas during a paint event. A paint handler receives the address of the pointer to
// it; a handler that keeps the canvas sets that pointer to null and then owns it.
class MQCanvas {
public:
  explicit MQCanvas(void* hostCanvas);
  virtual ~MQCanvas();
  MQCanvas(const MQCanvas&) = delete;
  MQCanvas& operator=(const MQCanvas&) = delete;

  void* handle() const { return hostCanvas_; }
  // Canvas wrappers alive now (lets tests see whether a canvas was kept or destroyed).
  static int liveCount();

private:
  void* hostCanvas_;
};

// Whether the widget registered under receiverId is still this receiver.
bool closureReceiverAlive(int receiverId, const MQWidgetBase* receiver);

class MQWidgetEventClosureBase {
public:
  virtual int invoke(MQWidgetBase* sender, MQDocument document, void* record) = 0;
  virtual bool equals(const MQWidgetEventClosureBase& other) const = 0;
  virtual MQWidgetBase* receiver() const = 0;

  // The event the closure was registered for: the callback hands it no other kind of event, so a
  // handler never receives a record of a type it does not expect.
  const std::string& eventName() const { return eventName_; }

protected:
  explicit MQWidgetEventClosureBase(const char* eventName) : eventName_(eventName) {}
  // Not virtual: the shared handle that owns a closure deletes it as its concrete type.
  ~MQWidgetEventClosureBase() = default;

private:
  std::string eventName_;
};

// What the two closure kinds share: the receiver, its id at registration and the member
// function; closures are equal when they have the same kind, receiver and member function.
template <typename T, typename HandlerType>
class MQWidgetClosureOf : public MQWidgetEventClosureBase {
public:
  using Handler = HandlerType;

  bool equals(const MQWidgetEventClosureBase& other) const override {
    if (typeid(other) != typeid(*this))
      return false;
    auto& same = static_cast<const MQWidgetClosureOf&>(other);
    return same.receiver_ == receiver_ && same.handler_ == handler_;
  }
  MQWidgetBase* receiver() const override { return receiver_; }

protected:
  MQWidgetClosureOf(const char* eventName, T* receiver, int receiverId, Handler handler)
      : MQWidgetEventClosureBase(eventName), receiver_(receiver), receiverId_(receiverId),
        handler_(handler) {}
  bool receiverAlive() const { return closureReceiverAlive(receiverId_, receiver()); }

  T* receiver_;
  int receiverId_;
  Handler handler_;
};

// Execute, mouse and paint events: the record is null, a MouseEventRecord* or an MQCanvas**.
template <typename T>
class MQWidgetEventClosure final
    : public MQWidgetClosureOf<T, int (T::*)(MQWidgetBase*, MQDocument, void*)> {
  using Base = MQWidgetClosureOf<T, int (T::*)(MQWidgetBase*, MQDocument, void*)>;

public:
  using typename Base::Handler;
  MQWidgetEventClosure(const char* eventName, T* receiver, int receiverId, Handler handler)
      : Base(eventName, receiver, receiverId, handler) {}

  int invoke(MQWidgetBase* sender, MQDocument document, void* record) override {
    if (!this->receiverAlive())
      return 0;
    return (this->receiver_->*this->handler_)(sender, document, record);
  }
};

// Key events: the record is a KeyEventRecord.
template <typename T>
class MQWidgetKeyEventClosure final
    : public MQWidgetClosureOf<T, int (T::*)(MQWidgetBase*, MQDocument, KeyEventRecord&)> {
  using Base = MQWidgetClosureOf<T, int (T::*)(MQWidgetBase*, MQDocument, KeyEventRecord&)>;

public:
  using typename Base::Handler;
  MQWidgetKeyEventClosure(const char* eventName, T* receiver, int receiverId, Handler handler)
      : Base(eventName, receiver, receiverId, handler) {}

  int invoke(MQWidgetBase* sender, MQDocument document, void* record) override {
    if (record == nullptr || !this->receiverAlive())
      return 0;
    return (this->receiver_->*this->handler_)(sender, document,
                                              *static_cast<KeyEventRecord*>(record));
  }
};

// The function the host calls for every registered event (an MQWidgetEventProc). Answers the
// handler's result, or 0 when nothing was called. Never throws.
int WidgetEventCallback(MQDocument document, MQValueList values, void* pointer);
