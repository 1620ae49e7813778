// The widget layer: wrappers of host widgets addressed by id through MQWidget_Value. Each wrapper
// creates (and then owns) or adopts one host widget, registers itself in the id map so that host
// events can find it, and deletes the host widget it owns when it is destroyed. Handlers are
// closures held by the widget they are registered on (WidgetEvents.h). Windows (MQWindow.h) make
// and own the controls. Texts shown in widgets are UTF-16 (char16_t).
// Relies on the widget protocol (WidgetProtocol.h) and the id map (WidgetIdMap.h).
#pragma once

#include "widgets/WidgetEvents.h"
#include "widgets/WidgetProtocol.h"

#include <memory>
#include <string>
#include <vector>

class MQWidgetBase {
public:
  virtual ~MQWidgetBase();
  MQWidgetBase(const MQWidgetBase&) = delete;
  MQWidgetBase& operator=(const MQWidgetBase&) = delete;

  int GetID() const { return id; }
  bool OwnsWidget() const { return ownsWidget; }
  const std::vector<std::shared_ptr<MQWidgetEventClosureBase>>& Handlers() const {
    return handlers;
  }

  // Adds a child widget to this container; -1 for a null child (nothing is sent), else the
  // host's "result".
  int AddChildWidget(MQWidgetBase* child);

  void SetHorzLayoutFill() { SetStringProperty("horzlayout", "fill"); }
  void SetVertLayoutFill() { SetStringProperty("vertlayout", "fill"); }
  void SetChecked(bool checked) { SetBoolProperty("checked", checked); }
  void SetMultiSelect() { SetBoolProperty("multiselect", true); }

  // One MsgSet of one property, by value kind.
  void SetStringProperty(const char* key, const char* value);
  void SetTextProperty(const char* key, const std::u16string& value);
  void SetIntProperty(const char* key, int value);
  void SetBoolProperty(const char* key, bool value);
  void SetDoubleProperty(const char* key, double value);
  // One MsgSet of an item property: "index" first, then the property.
  void SetItemBoolProperty(int index, const char* key, bool value);
  // One MsgGet; a property the host does not answer reads as 0 / false.
  int GetIntProperty(const char* key) const;
  bool GetBoolProperty(const char* key) const;
  bool GetItemBoolProperty(int index, const char* key) const;

  // Handler registration: a closure binding receiver and member function, held by this widget.
  template <typename T>
  void HookEvent(const char* eventName, T* receiver,
                 typename MQWidgetEventClosure<T>::Handler handler) {
    AddHandler(
        std::make_shared<MQWidgetEventClosure<T>>(eventName, receiver, receiver->GetID(), handler));
  }
  template <typename T>
  void HookExecute(T* receiver, typename MQWidgetEventClosure<T>::Handler handler) {
    HookEvent("execute", receiver, handler);
  }
  template <typename T>
  void HookKeyEvent(const char* eventName, T* receiver,
                    typename MQWidgetKeyEventClosure<T>::Handler handler) {
    AddHandler(std::make_shared<MQWidgetKeyEventClosure<T>>(eventName, receiver, receiver->GetID(),
                                                            handler));
  }
  template <typename T>
  void HookKeyDown(T* receiver, typename MQWidgetKeyEventClosure<T>::Handler handler) {
    HookKeyEvent("keydown", receiver, handler);
  }

protected:
  // Adopts an existing host widget (0: none) without owning it.
  explicit MQWidgetBase(int existingId);
  struct CreateWidget {};
  // Creates a host widget of this type; owns it when the host made one.
  MQWidgetBase(CreateWidget, const char* typeName);

  // MsgCreate; on a non-zero answer the id is taken, owned and registered.
  void CreateHostWidget(const char* typeName);
  // MsgAddHandler, then the handle joins handlers.
  void AddHandler(std::shared_ptr<MQWidgetEventClosureBase> closure);

  int id = 0;
  bool ownsWidget = false;
  std::vector<std::shared_ptr<MQWidgetEventClosureBase>> handlers;
};

class MQFrameBase : public MQWidgetBase {
protected:
  using MQWidgetBase::MQWidgetBase;
};

class MQFrame : public MQFrameBase {
public:
  MQFrame() : MQFrameBase(CreateWidget{}, "frame") {}
};

class MQButton : public MQWidgetBase {
public:
  MQButton() : MQWidgetBase(CreateWidget{}, "button") {}
};

class MQCheckBox : public MQWidgetBase {
public:
  MQCheckBox() : MQWidgetBase(CreateWidget{}, "checkbox") {}
  bool GetChecked() const { return GetBoolProperty("checked"); }
};

class MQListBox : public MQWidgetBase {
public:
  MQListBox() : MQWidgetBase(CreateWidget{}, "listbox") {}

  void ClearItems();
  // The new item's index as the host answers it (-1 when it answers nothing).
  int AddItem(const std::u16string& text);
  void MakeItemVisible(int index);
  int GetItemCount() const { return GetIntProperty("item.count"); }
  bool GetItemSelected(int index) const { return GetItemBoolProperty(index, "item.selected"); }
  void SetItemSelected(int index, bool selected) {
    SetItemBoolProperty(index, "item.selected", selected);
  }
};

class MQLabel : public MQWidgetBase {
public:
  MQLabel() : MQWidgetBase(CreateWidget{}, "label") {}
};

class MQEdit : public MQWidgetBase {
public:
  MQEdit() : MQWidgetBase(CreateWidget{}, "edit") {}
  // "text.length", then (when not 0) "text" into a buffer of that length + 1.
  std::u16string GetText() const;
};
