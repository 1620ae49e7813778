// The widget function of the host interface: MQWidget_Value, answering the widget protocol as a
// desktop host would, and recording every call.
#include "Exports.h"

#include <cstdio>
#include <cstring>

namespace sim {
namespace {

enum class Kind { String, Text, Int, Bool, Double, Pointer, Unknown };

Kind kindOf(const char* key) {
  static const char* const strings[] = {"type",       "messagetype", "system", "horzlayout",
                                        "vertlayout", "alignment",   "numeric"};
  static const char* const texts[] = {"title", "text", "message"};
  static const char* const ints[] = {"result", "id",           "child",
                                     "parent", "matrixcolumn", "modalresult",
                                     "index",  "item.count",   "text.length"};
  static const char* const bools[] = {"canresize",     "readonly",    "default", "cancel",
                                      "checked",       "multiselect", "enabled", "focus",
                                      "item.selected", "prior"};
  for (const char* name : strings)
    if (std::strcmp(key, name) == 0)
      return Kind::String;
  for (const char* name : texts)
    if (std::strcmp(key, name) == 0)
      return Kind::Text;
  for (const char* name : ints)
    if (std::strcmp(key, name) == 0)
      return Kind::Int;
  for (const char* name : bools)
    if (std::strcmp(key, name) == 0)
      return Kind::Bool;
  if (std::strcmp(key, "fillrate_x") == 0)
    return Kind::Double;
  if (std::strcmp(key, "proc") == 0 || std::strcmp(key, "pointer") == 0)
    return Kind::Pointer;
  return Kind::Unknown;
}

const char* const kWidgetTypes[] = {"frame", "button", "checkbox", "listbox",
                                    "label", "edit",   "dialog"};

struct Pair {
  const char* key;
  void* value;
};

std::vector<Pair> pairsOf(MQValueList values) {
  std::vector<Pair> pairs;
  if (!values)
    return pairs;
  for (void** entry = values; entry[0] != nullptr; entry += 2)
    pairs.push_back(Pair{static_cast<const char*>(entry[0]), entry[1]});
  return pairs;
}

std::u16string textAt(const void* value) {
  return std::u16string(static_cast<const char16_t*>(value));
}

std::string shown(int message, const Pair& pair) {
  if (!pair.value)
    return "null";
  switch (kindOf(pair.key)) {
  case Kind::String:
    return static_cast<const char*>(pair.value);
  case Kind::Text:
    return message == MQWIDGET_MSG_GET ? "buffer" : toUtf8(textAt(pair.value));
  case Kind::Int:
    return std::to_string(*static_cast<const int*>(pair.value));
  case Kind::Bool:
    return *static_cast<const unsigned char*>(pair.value) ? "true" : "false";
  case Kind::Double: {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", *static_cast<const double*>(pair.value));
    return text;
  }
  case Kind::Pointer:
    return "pointer";
  case Kind::Unknown:
    break;
  }
  return "?";
}

bool isString(const Pair& pair, const char* key, const char* value) {
  return std::strcmp(pair.key, key) == 0 && pair.value &&
         std::strcmp(static_cast<const char*>(pair.value), value) == 0;
}

int* intOut(const std::vector<Pair>& pairs, const char* key) {
  for (const Pair& pair : pairs)
    if (std::strcmp(pair.key, key) == 0)
      return static_cast<int*>(pair.value);
  return nullptr;
}

const char* stringOf(const std::vector<Pair>& pairs, const char* key) {
  for (const Pair& pair : pairs)
    if (std::strcmp(pair.key, key) == 0)
      return static_cast<const char*>(pair.value);
  return nullptr;
}

bool boolAt(const void* value) {
  return *static_cast<const unsigned char*>(value) != 0;
}

void selectItem(WidgetData& list, int index, bool selected) {
  if (selected && !list.multiSelect)
    for (ItemData& item : list.items)
      item.selected = false;
  list.items[static_cast<size_t>(index)].selected = selected;
}

void writeBool(void* value, bool state) {
  *static_cast<unsigned char*>(value) = state ? 1 : 0;
}

// One host's answers to widget messages.
class Messages {
public:
  explicit Messages(WidgetHost& host) : host_(host) {}

  void value(int id, int message, MQValueList values) {
    std::vector<Pair> pairs = pairsOf(values);
    WidgetMessage record;
    record.id = id;
    record.message = message;
    for (const Pair& pair : pairs)
      record.pairs.emplace_back(pair.key, shown(message, pair));
    host_.messages.push_back(record);
    if (id == 0)
      hostMessage(message, pairs);
    else if (message == MQWIDGET_MSG_DELETE)
      deleteWidget(id);
    else if (WidgetData* widget = liveWidget(id))
      widgetMessage(*widget, message, pairs);
    else
      misuse(id, message, "no such widget");
  }

private:
  WidgetData* liveWidget(int id) { return host_.liveWidget(id); }
  int dialogOf(int id) { return host_.dialogOf(id); }
  void misuse(int id, int message, const std::string& what) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "MQWidget_Value(%d, 0x%03x): ", id, message);
    host_.owner.recordMisuse(prefix + what);
  }

  // ---- messages to id 0 ----

  void create(const std::vector<Pair>& pairs) {
    const char* type = stringOf(pairs, "type");
    int* id = intOut(pairs, "id");
    if (!type || !id) {
      misuse(0, MQWIDGET_MSG_CREATE, "\"type\" and \"id\" needed");
      return;
    }
    bool known = false;
    for (const char* name : kWidgetTypes)
      known = known || std::strcmp(type, name) == 0;
    if (!known) {
      misuse(0, MQWIDGET_MSG_CREATE, std::string("unknown widget type \"") + type + "\"");
      return;
    }
    if (host_.refuseCreations > 0) {
      --host_.refuseCreations;
      return;
    }
    WidgetData& widget = host_.widgets[host_.nextId];
    widget.id = host_.nextId++;
    widget.type = type;
    *id = widget.id;
  }

  void messageBox(const std::vector<Pair>& pairs) {
    MessageBoxRecord box;
    for (const Pair& pair : pairs) {
      if (!pair.value)
        continue;
      if (std::strcmp(pair.key, "messagetype") == 0)
        box.messageType = static_cast<const char*>(pair.value);
      else if (std::strcmp(pair.key, "parent") == 0)
        box.parent = *static_cast<const int*>(pair.value);
      else if (std::strcmp(pair.key, "title") == 0)
        box.title = toUtf8(textAt(pair.value));
      else if (std::strcmp(pair.key, "message") == 0)
        box.message = toUtf8(textAt(pair.value));
    }
    host_.boxes.push_back(box);
    if (int* result = intOut(pairs, "result"))
      *result = 1; // the user pressed OK
  }

  // ---- messages to a widget ----

  void addChild(WidgetData& container, const std::vector<Pair>& pairs) {
    int* childId = intOut(pairs, "child");
    WidgetData* child = childId ? liveWidget(*childId) : nullptr;
    if (container.type != "frame" && container.type != "dialog") {
      misuse(container.id, MQWIDGET_MSG_ADD_CHILD, "a " + container.type + " takes no children");
      return;
    }
    if (!child || child->type == "dialog" || child->type == "main_window") {
      misuse(container.id, MQWIDGET_MSG_ADD_CHILD, "no such child widget");
      return;
    }
    if (child->parent != 0) {
      misuse(container.id, MQWIDGET_MSG_ADD_CHILD, "the child already has a container");
      return;
    }
    for (WidgetData* above = &container; above; above = liveWidget(above->parent))
      if (above->id == child->id) {
        misuse(container.id, MQWIDGET_MSG_ADD_CHILD, "a widget cannot contain itself");
        return;
      }
    child->parent = container.id;
    container.children.push_back(child->id);
    if (int* result = intOut(pairs, "result"))
      *result = static_cast<int>(container.children.size()) - 1;
  }

  void attachDialog(WidgetData& owner, const std::vector<Pair>& pairs) {
    int* childId = intOut(pairs, "child");
    WidgetData* dialog = childId ? liveWidget(*childId) : nullptr;
    if (!dialog || dialog->type != "dialog" ||
        (owner.type != "main_window" && owner.type != "dialog")) {
      misuse(owner.id, MQWIDGET_MSG_ATTACH_DIALOG, "needs a window and a dialog");
      return;
    }
    dialog->owner = owner.id;
    if (int* result = intOut(pairs, "result"))
      *result = 1;
  }

  void setFocus(WidgetData& widget, bool focus) {
    WidgetData* dialog = liveWidget(dialogOf(widget.id));
    if (!dialog)
      return;
    if (focus)
      dialog->focus = widget.id;
    else if (dialog->focus == widget.id)
      dialog->focus = 0;
  }

  void setProperties(WidgetData& widget, const std::vector<Pair>& pairs) {
    const int id = widget.id;
    int index = -1;
    for (const Pair& pair : pairs) {
      const std::string key = pair.key;
      if (!pair.value) {
        misuse(id, MQWIDGET_MSG_SET, "null value for \"" + key + "\"");
        continue;
      }
      if (key == "title")
        widget.title = textAt(pair.value);
      else if (key == "text")
        widget.text = textAt(pair.value);
      else if (key == "canresize")
        widget.canResize = boolAt(pair.value);
      else if (key == "horzlayout")
        widget.horzLayout = static_cast<const char*>(pair.value);
      else if (key == "vertlayout")
        widget.vertLayout = static_cast<const char*>(pair.value);
      else if (key == "alignment")
        widget.alignment = static_cast<const char*>(pair.value);
      else if (key == "numeric")
        widget.numeric = static_cast<const char*>(pair.value);
      else if (key == "matrixcolumn")
        widget.matrixColumn = *static_cast<const int*>(pair.value);
      else if (key == "fillrate_x") {
        widget.fillRateX = *static_cast<const double*>(pair.value);
        widget.hasFillRateX = true;
      } else if (key == "readonly")
        widget.readOnly = boolAt(pair.value);
      else if (key == "default")
        widget.isDefault = boolAt(pair.value);
      else if (key == "cancel")
        widget.isCancel = boolAt(pair.value);
      else if (key == "modalresult") {
        widget.modalResult = *static_cast<const int*>(pair.value);
        widget.hasModalResult = true;
      } else if (key == "checked")
        widget.checked = boolAt(pair.value);
      else if (key == "multiselect")
        widget.multiSelect = boolAt(pair.value);
      else if (key == "enabled")
        widget.enabled = boolAt(pair.value);
      else if (key == "focus")
        setFocus(widget, boolAt(pair.value));
      else if (key == "index")
        index = *static_cast<const int*>(pair.value);
      else if (key == "item.selected") {
        if (index < 0 || index >= static_cast<int>(widget.items.size()))
          misuse(id, MQWIDGET_MSG_SET, "\"item.selected\" without a valid \"index\"");
        else
          selectItem(widget, index, boolAt(pair.value));
      } else if (key == "text.length" || key == "item.count")
        misuse(id, MQWIDGET_MSG_SET, "\"" + key + "\" cannot be written");
      else
        misuse(id, MQWIDGET_MSG_SET, "unknown property \"" + key + "\"");
    }
  }

  void getProperties(WidgetData& widget, const std::vector<Pair>& pairs) {
    const int id = widget.id;
    int index = -1;
    for (const Pair& pair : pairs) {
      const std::string key = pair.key;
      if (!pair.value) {
        misuse(id, MQWIDGET_MSG_GET, "null value for \"" + key + "\"");
        continue;
      }
      void* out = pair.value;
      if (key == "text") {
        auto* buffer = static_cast<char16_t*>(out);
        std::copy(widget.text.begin(), widget.text.end(), buffer);
        buffer[widget.text.size()] = u'\0';
      } else if (key == "text.length")
        *static_cast<int*>(out) = static_cast<int>(widget.text.size());
      else if (key == "item.count")
        *static_cast<int*>(out) = static_cast<int>(widget.items.size());
      else if (key == "index")
        index = *static_cast<const int*>(out);
      else if (key == "item.selected") {
        if (index < 0 || index >= static_cast<int>(widget.items.size()))
          misuse(id, MQWIDGET_MSG_GET, "\"item.selected\" without a valid \"index\"");
        else
          writeBool(out, widget.items[static_cast<size_t>(index)].selected);
      } else if (key == "checked")
        writeBool(out, widget.checked);
      else if (key == "enabled")
        writeBool(out, widget.enabled);
      else if (key == "readonly")
        writeBool(out, widget.readOnly);
      else if (key == "canresize")
        writeBool(out, widget.canResize);
      else if (key == "default")
        writeBool(out, widget.isDefault);
      else if (key == "cancel")
        writeBool(out, widget.isCancel);
      else if (key == "multiselect")
        writeBool(out, widget.multiSelect);
      else if (key == "focus")
        writeBool(out, dialogOf(id) != 0 && liveWidget(dialogOf(id))->focus == id);
      else if (key == "modalresult")
        *static_cast<int*>(out) = widget.modalResult;
      else if (key == "matrixcolumn")
        *static_cast<int*>(out) = widget.matrixColumn;
      else if (key == "fillrate_x")
        *static_cast<double*>(out) = widget.fillRateX;
      else if (kindOf(pair.key) == Kind::Unknown)
        misuse(id, MQWIDGET_MSG_GET, "unknown property \"" + key + "\"");
      else
        misuse(id, MQWIDGET_MSG_GET, "\"" + key + "\" cannot be read");
    }
  }

  void callMethod(WidgetData& widget, const std::vector<Pair>& pairs) {
    const int id = widget.id;
    if (pairs.empty() || pairs.front().value != nullptr) {
      misuse(id, MQWIDGET_MSG_CALL, "the first pair must name the method with a null value");
      return;
    }
    const std::string method = pairs.front().key;
    if (widget.type != "listbox") {
      misuse(id, MQWIDGET_MSG_CALL, "a " + widget.type + " has no method \"" + method + "\"");
      return;
    }
    std::vector<Pair> arguments(pairs.begin() + 1, pairs.end());
    if (method == "clearitems") {
      widget.items.clear();
      widget.visibleItem = -1;
    } else if (method == "additem") {
      const Pair* text = nullptr;
      for (const Pair& pair : arguments)
        if (std::strcmp(pair.key, "text") == 0 && pair.value)
          text = &pair;
      if (!text) {
        misuse(id, MQWIDGET_MSG_CALL, "\"additem\" without \"text\"");
        return;
      }
      widget.items.push_back(ItemData{textAt(text->value), false});
      if (int* result = intOut(arguments, "result"))
        *result = static_cast<int>(widget.items.size()) - 1;
    } else if (method == "makeitemvisible") {
      // Scrolling to an item that is not there does nothing, as a list view does.
      if (int* index = intOut(arguments, "index"))
        widget.visibleItem = *index;
    } else {
      misuse(id, MQWIDGET_MSG_CALL, "unknown method \"" + method + "\"");
    }
  }

  void addHandler(WidgetData& widget, const std::vector<Pair>& pairs) {
    HandlerRegistration handler;
    for (const Pair& pair : pairs) {
      if (std::strcmp(pair.key, "type") == 0 && pair.value)
        handler.type = static_cast<const char*>(pair.value);
      else if (std::strcmp(pair.key, "proc") == 0)
        handler.proc = reinterpret_cast<MQWidgetEventProc>(pair.value);
      else if (std::strcmp(pair.key, "pointer") == 0)
        handler.pointer = pair.value;
      else if (std::strcmp(pair.key, "prior") == 0 && pair.value)
        handler.prior = boolAt(pair.value);
    }
    if (handler.type.empty() || !handler.proc) {
      misuse(widget.id, MQWIDGET_MSG_ADD_HANDLER, "\"type\" and \"proc\" needed");
      return;
    }
    widget.handlers.push_back(handler);
  }

  void deleteWidget(int id) {
    auto it = host_.widgets.find(id);
    if (it == host_.widgets.end() || id == 0) {
      misuse(id, MQWIDGET_MSG_DELETE, "no such widget");
      return;
    }
    WidgetData& widget = it->second;
    if (!widget.alive) {
      // Removed with its container: the plug-in could not know. A second delete is its fault.
      if (widget.removedWithParent)
        widget.removedWithParent = false;
      else
        misuse(id, MQWIDGET_MSG_DELETE, "widget already deleted");
      return;
    }
    if (widget.type == "main_window") {
      misuse(id, MQWIDGET_MSG_DELETE, "the main window belongs to the host");
      return;
    }
    bool wasDialog = widget.type == "dialog";
    host_.removeWidget(id);
    if (wasDialog)
      host_.endModalRun(id, 0);
  }

  // A message to id 0: the host itself.
  void hostMessage(int message, const std::vector<Pair>& pairs) {
    if (message == MQWIDGET_MSG_CREATE)
      create(pairs);
    else if (message == MQWIDGET_MSG_SYSTEM && !pairs.empty() &&
             isString(pairs.front(), "system", "main_window")) {
      if (int* result = intOut(pairs, "result"))
        *result = kMainWindowId;
    } else if (message == MQWIDGET_MSG_RUN && !pairs.empty() &&
               isString(pairs.front(), "type", "messagebox"))
      messageBox(pairs);
    else
      misuse(0, message, "not a message for id 0");
  }

  void runModal(WidgetData& widget, const std::vector<Pair>& pairs) {
    int* result = intOut(pairs, "result");
    if (widget.type != "dialog" || pairs.empty() || !isString(pairs.front(), "type", "modal")) {
      misuse(widget.id, MQWIDGET_MSG_RUN, "only a dialog runs modally");
      return;
    }
    int modalResult = host_.runModal(widget.id);
    if (result)
      *result = modalResult;
  }

  void widgetMessage(WidgetData& widget, int message, const std::vector<Pair>& pairs) {
    switch (message) {
    case MQWIDGET_MSG_RUN:
      return runModal(widget, pairs);
    case MQWIDGET_MSG_ADD_CHILD:
      return addChild(widget, pairs);
    case MQWIDGET_MSG_ATTACH_DIALOG:
      return attachDialog(widget, pairs);
    case MQWIDGET_MSG_GET:
      return getProperties(widget, pairs);
    case MQWIDGET_MSG_SET:
      return setProperties(widget, pairs);
    case MQWIDGET_MSG_CALL:
      return callMethod(widget, pairs);
    case MQWIDGET_MSG_ADD_HANDLER:
      return addHandler(widget, pairs);
    default:
      misuse(widget.id, message, "unknown message");
    }
  }

  WidgetHost& host_;
};

} // namespace

void widgetValue(WidgetHost& host, int id, int message, MQValueList values) {
  Messages(host).value(id, message, values);
}

} // namespace sim

SIMHOST_EXPORT void MQWidget_Value(int id, int message, MQValueList values) {
  SIMHOST_COUNT(MQWidget_Value);
  try {
    sim::widgetValue(sim::hostState().widgets, id, message, values);
  } catch (...) {
    // Nothing may unwind into the plug-in.
  }
}
