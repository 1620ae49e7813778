// The scripted user: a person's actions on a modal dialog, played by the host's modal run. Each
// action finds its control by visible text, checks that a person could use it, changes the
// control's state as the host would, and sends the host's events to the plug-in.
#include "HostState.h"

#include <cctype>
#include <stdexcept>

namespace sim {

struct UserScript::Action {
  enum Kind {
    ClickButton,
    ClickCheckBox,
    SelectItem,
    DeselectItem,
    ToggleItem,
    SelectEveryItem,
    InList,
    TypeText,
    PressKey,
    MouseEvent,
    CloseWindow,
    Inspect
  };
  Kind kind = CloseWindow;
  std::string text;  // caption, label, item text or mouse event name
  std::string text2; // typed text
  int index = -1;    // item index (-1: by text), list ordinal or key code
  unsigned modifiers = 0;
  bool autoRepeat = false;
  Mouse mouse;
  std::function<void(int)> look;
};

UserScript::UserScript() : actions_(new std::vector<Action>()) {}
UserScript::~UserScript() {
  delete actions_;
}
UserScript::UserScript(const UserScript& other)
    : actions_(new std::vector<Action>(*other.actions_)) {}
UserScript& UserScript::operator=(const UserScript& other) {
  if (this != &other)
    *actions_ = *other.actions_;
  return *this;
}

namespace {

UserScript::Action make(UserScript::Action::Kind kind, std::string text = std::string(),
                        int index = -1) {
  UserScript::Action action;
  action.kind = kind;
  action.text = std::move(text);
  action.index = index;
  return action;
}

} // namespace

UserScript& UserScript::clickButton(const std::string& caption) {
  actions_->push_back(make(Action::ClickButton, caption));
  return *this;
}
UserScript& UserScript::clickCheckBox(const std::string& caption) {
  actions_->push_back(make(Action::ClickCheckBox, caption));
  return *this;
}
UserScript& UserScript::selectItem(int index) {
  actions_->push_back(make(Action::SelectItem, std::string(), index));
  return *this;
}
UserScript& UserScript::selectItem(const std::string& itemText) {
  actions_->push_back(make(Action::SelectItem, itemText));
  return *this;
}
UserScript& UserScript::deselectItem(int index) {
  actions_->push_back(make(Action::DeselectItem, std::string(), index));
  return *this;
}
UserScript& UserScript::deselectItem(const std::string& itemText) {
  actions_->push_back(make(Action::DeselectItem, itemText));
  return *this;
}
UserScript& UserScript::toggleItem(int index) {
  actions_->push_back(make(Action::ToggleItem, std::string(), index));
  return *this;
}
UserScript& UserScript::toggleItem(const std::string& itemText) {
  actions_->push_back(make(Action::ToggleItem, itemText));
  return *this;
}
UserScript& UserScript::selectEveryItem(const std::string& itemText) {
  actions_->push_back(make(Action::SelectEveryItem, itemText));
  return *this;
}
UserScript& UserScript::inList(int listOrdinal) {
  actions_->push_back(make(Action::InList, std::string(), listOrdinal));
  return *this;
}
UserScript& UserScript::typeText(const std::string& label, const std::string& text) {
  Action action = make(Action::TypeText, label);
  action.text2 = text;
  actions_->push_back(action);
  return *this;
}
UserScript& UserScript::pressKey(int keyCode, unsigned modifiers, bool autoRepeat) {
  Action action = make(Action::PressKey, std::string(), keyCode);
  action.modifiers = modifiers;
  action.autoRepeat = autoRepeat;
  actions_->push_back(action);
  return *this;
}
UserScript& UserScript::mouse(const std::string& eventName, const Mouse& state) {
  Action action = make(Action::MouseEvent, eventName);
  action.mouse = state;
  actions_->push_back(action);
  return *this;
}
UserScript& UserScript::closeWindow() {
  actions_->push_back(make(Action::CloseWindow));
  return *this;
}
UserScript& UserScript::inspect(std::function<void(int dialogId)> look) {
  Action action = make(Action::Inspect);
  action.look = std::move(look);
  actions_->push_back(action);
  return *this;
}

bool UserScript::empty() const {
  return actions_->empty();
}

namespace {

std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string itemRef(const UserScript::Action& action) {
  return action.index >= 0 ? "item " + std::to_string(action.index) : "item " + quoted(action.text);
}

std::string keyName(int key, unsigned modifiers) {
  std::string name;
  if (modifiers & kCtrl)
    name += "Ctrl+";
  if (modifiers & kShift)
    name += "Shift+";
  if (modifiers & kAlt)
    name += "Alt+";
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
    name += static_cast<char>(key);
  else if (key == kKeyEnter)
    name += "Enter";
  else if (key == kKeyEscape)
    name += "Escape";
  else
    name += "key " + std::to_string(key);
  return name;
}

std::string describeAction(const UserScript::Action& action) {
  using A = UserScript::Action;
  switch (action.kind) {
  case A::ClickButton:
    return "click button " + quoted(action.text);
  case A::ClickCheckBox:
    return "click check box " + quoted(action.text);
  case A::SelectItem:
    return "select " + itemRef(action);
  case A::DeselectItem:
    return "deselect " + itemRef(action);
  case A::ToggleItem:
    return "toggle " + itemRef(action);
  case A::SelectEveryItem:
    return "select every item " + quoted(action.text);
  case A::InList:
    return "use list box " + std::to_string(action.index);
  case A::TypeText:
    return "type " + quoted(action.text2) + " into the edit after " + quoted(action.text);
  case A::PressKey:
    return std::string("press ") + keyName(action.index, action.modifiers) +
           (action.autoRepeat ? " (repeat)" : "");
  case A::MouseEvent:
    return "mouse " + action.text;
  case A::CloseWindow:
    return "close the window";
  case A::Inspect:
    return "inspect the dialog";
  }
  return "?";
}

} // namespace

std::vector<std::string> UserScript::describe() const {
  std::vector<std::string> lines;
  for (const Action& action : *actions_)
    lines.push_back(describeAction(action));
  return lines;
}

// ---- playing a script ----

struct RunContext {
  int dialog = 0;
  bool ended = false;
  int result = 0;
  bool dialogDeleted = false;
};

namespace {

bool captionMatches(const std::u16string& caption, const std::u16string& wanted) {
  return caption == wanted || displayedCaption(caption) == wanted;
}

const char* const kMouseEvents[] = {
    "leftdown",  "leftup",  "leftdoubleclick",  "middledown", "middleup",  "middledoubleclick",
    "rightdown", "rightup", "rightdoubleclick", "mousemove",  "mousewheel"};

class Player {
public:
  Player(WidgetHost& host, RunContext& context) : host_(host), context_(context) {}

  // Carries out one action; answers the failure text, empty on success.
  std::string perform(const UserScript::Action& action) {
    using A = UserScript::Action;
    switch (action.kind) {
    case A::ClickButton:
      return clickButton(action.text);
    case A::ClickCheckBox:
      return clickCheckBox(action.text);
    case A::SelectItem:
    case A::DeselectItem:
    case A::ToggleItem:
    case A::SelectEveryItem:
      return changeItem(action);
    case A::InList:
      listOrdinal_ = action.index;
      return listBox(nullptr);
    case A::TypeText:
      return typeText(action.text, action.text2);
    case A::PressKey:
      return pressKey(action.index, action.modifiers, action.autoRepeat);
    case A::MouseEvent:
      return mouse(action.text, action.mouse);
    case A::CloseWindow:
      endModalRun(context_.dialog, kClosedResult);
      return std::string();
    case A::Inspect:
      return inspect(action.look);
    }
    return "unknown action";
  }

private:
  WidgetData* liveWidget(int id) { return host_.liveWidget(id); }
  std::vector<int> widgetsBelow(int root) { return host_.widgetsBelow(root); }
  bool widgetUsable(int id) { return host_.widgetUsable(id); }
  int focusedWidget(int dialogId) { return host_.focusedWidget(dialogId); }
  void endModalRun(int dialogId, int result) { host_.endModalRun(dialogId, result); }
  bool deliverEvent(int targetId, int senderId, const char* type,
                    const std::vector<std::pair<const char*, void*>>& extra) {
    return host_.deliverEvent(targetId, senderId, type, extra);
  }

  // The one widget of this type whose caption matches; else a failure text.
  std::string findByCaption(const char* type, const char* what, const std::string& caption,
                            int& found) {
    std::u16string wanted;
    if (!fromUtf8(caption, wanted))
      return std::string("the ") + what + " caption is not UTF-8";
    found = 0;
    int matches = 0;
    for (int id : widgetsBelow(context_.dialog)) {
      WidgetData* widget = liveWidget(id);
      if (widget->type == type && captionMatches(widget->text, wanted)) {
        found = id;
        ++matches;
      }
    }
    if (matches == 0)
      return std::string("no ") + what + " " + quoted(caption) + " in the dialog";
    if (matches > 1)
      return "the caption " + quoted(caption) + " names " + std::to_string(matches) + " " + what +
             " controls";
    if (!widgetUsable(found))
      return std::string("the ") + what + " " + quoted(caption) + " is disabled";
    return std::string();
  }

  void focus(int id) {
    if (WidgetData* dialog = liveWidget(context_.dialog))
      dialog->focus = id;
  }

  void click(int id) {
    WidgetData* button = liveWidget(id);
    focus(id);
    if (button->hasModalResult)
      endModalRun(context_.dialog, button->modalResult);
    else
      deliverEvent(id, id, "execute", {});
  }

  std::string clickButton(const std::string& caption) {
    int id = 0;
    std::string failure = findByCaption("button", "button", caption, id);
    if (failure.empty())
      click(id);
    return failure;
  }

  std::string clickCheckBox(const std::string& caption) {
    int id = 0;
    std::string failure = findByCaption("checkbox", "check box", caption, id);
    if (!failure.empty())
      return failure;
    WidgetData* box = liveWidget(id);
    box->checked = !box->checked;
    focus(id);
    deliverEvent(id, id, "execute", {});
    return std::string();
  }

  std::string listBox(WidgetData** list) {
    std::vector<int> lists;
    for (int id : widgetsBelow(context_.dialog))
      if (liveWidget(id)->type == "listbox")
        lists.push_back(id);
    if (listOrdinal_ < 0 || listOrdinal_ >= static_cast<int>(lists.size()))
      return "the dialog has no list box " + std::to_string(listOrdinal_) + " (it has " +
             std::to_string(lists.size()) + ")";
    if (list)
      *list = liveWidget(lists[static_cast<size_t>(listOrdinal_)]);
    return std::string();
  }

  std::string changeItem(const UserScript::Action& action) {
    WidgetData* list = nullptr;
    std::string failure = listBox(&list);
    if (!failure.empty())
      return failure;
    const bool every = action.kind == UserScript::Action::SelectEveryItem;
    std::vector<size_t> indexes;
    if (action.index < 0) {
      std::u16string wanted;
      if (!fromUtf8(action.text, wanted))
        return "the item text is not UTF-8";
      for (size_t i = 0; i < list->items.size(); ++i)
        if (list->items[i].text == wanted)
          indexes.push_back(i);
      if (indexes.empty() || (indexes.size() > 1 && !every))
        return std::to_string(indexes.size()) + " items " + quoted(action.text) +
               " in the list box";
    } else if (action.index >= static_cast<int>(list->items.size())) {
      return "the list box has no item " + std::to_string(action.index) + " (it has " +
             std::to_string(list->items.size()) + ")";
    } else {
      indexes.push_back(static_cast<size_t>(action.index));
    }
    if (!widgetUsable(list->id))
      return "the list box is disabled";
    const int listId = list->id;
    for (size_t index : indexes) {
      // The previous click's event may have refilled the list, or removed it.
      list = liveWidget(listId);
      if (!list || index >= list->items.size())
        return "the list box changed while its items were clicked";
      auto& item = list->items[index];
      const bool selected = action.kind == UserScript::Action::DeselectItem ? false
                            : action.kind == UserScript::Action::ToggleItem ? !item.selected
                                                                            : true;
      if (selected && !list->multiSelect)
        for (ItemData& other : list->items)
          other.selected = false;
      item.selected = selected;
      focus(listId);
      deliverEvent(listId, listId, "selchanged", {});
    }
    return std::string();
  }

  std::string typeText(const std::string& label, const std::string& text) {
    std::u16string wanted, typed;
    if (!fromUtf8(label, wanted) || !fromUtf8(text, typed))
      return "the label or the text is not UTF-8";
    int found = 0, matches = 0;
    for (int id : widgetsBelow(context_.dialog)) {
      WidgetData* widget = liveWidget(id);
      if (widget->type != "label" || !captionMatches(widget->text, wanted))
        continue;
      const auto& siblings = liveWidget(widget->parent)->children;
      for (size_t i = 0; i + 1 < siblings.size(); ++i)
        if (siblings[i] == id && liveWidget(siblings[i + 1])->type == "edit") {
          found = siblings[i + 1];
          ++matches;
        }
    }
    if (matches == 0)
      return "no edit after a label " + quoted(label) + " in the dialog";
    if (matches > 1)
      return std::to_string(matches) + " edits after labels " + quoted(label);
    WidgetData* edit = liveWidget(found);
    if (!widgetUsable(found))
      return "the edit after " + quoted(label) + " is disabled";
    if (edit->readOnly)
      return "the edit after " + quoted(label) + " is read-only";
    if (edit->numeric == "double" && !typeableNumber(text))
      return "the edit after " + quoted(label) + " takes numbers only, not " + quoted(text);
    focus(found);
    edit->text = typed;
    deliverEvent(found, found, "changed", {});
    return std::string();
  }

  // The focused widget and the containers above it, up to the dialog.
  std::vector<int> keyRoute() {
    int start = focusedWidget(context_.dialog);
    std::vector<int> route;
    for (WidgetData* w = liveWidget(start ? start : context_.dialog); w;
         w = liveWidget(w->parent)) {
      route.push_back(w->id);
      if (w->id == context_.dialog)
        break;
    }
    return route;
  }

  bool sendKey(const char* type, int key, unsigned modifiers, bool autoRepeat) {
    std::vector<int> route = keyRoute();
    if (route.empty())
      return false;
    int sender = route.front();
    for (int target : route) {
      int keyValue = key;
      int buttonState = static_cast<int>(modifiers);
      int repeat = autoRepeat ? 1 : 0;
      if (deliverEvent(
              target, sender, type,
              {{"key", &keyValue}, {"button_state", &buttonState}, {"auto_repeat", &repeat}}))
        return true;
    }
    return false;
  }

  std::string pressKey(int key, unsigned modifiers, bool autoRepeat) {
    if (modifiers & ~(kShift | kCtrl | kAlt))
      return "only Shift, Ctrl and Alt can be held with a key";
    bool finished = sendKey("keydown", key, modifiers, autoRepeat);
    if (!context_.ended && liveWidget(context_.dialog))
      sendKey("keyup", key, modifiers, false);
    if (finished || context_.ended || modifiers != 0 || !liveWidget(context_.dialog))
      return std::string();
    if (key == kKeyEnter || key == kKeyEscape) {
      bool wantDefault = key == kKeyEnter;
      for (int id : widgetsBelow(context_.dialog)) {
        WidgetData* w = liveWidget(id);
        if (w->type == "button" && (wantDefault ? w->isDefault : w->isCancel) && widgetUsable(id)) {
          click(id);
          break;
        }
      }
    }
    return std::string();
  }

  std::string mouse(const std::string& name, const UserScript::Mouse& state) {
    bool known = false;
    for (const char* event : kMouseEvents)
      known = known || name == event;
    if (!known)
      return quoted(name) + " is not a mouse event";
    int clientX = state.clientX, clientY = state.clientY, screenX = state.screenX,
        screenY = state.screenY, downX = state.downX, downY = state.downY, lastX = state.lastX,
        lastY = state.lastY, wheel = state.wheelDelta;
    int buttons = static_cast<int>(state.buttonState);
    float pressure = state.pressure;
    deliverEvent(context_.dialog, context_.dialog, name.c_str(),
                 {{"client_x", &clientX},
                  {"client_y", &clientY},
                  {"screen_x", &screenX},
                  {"screen_y", &screenY},
                  {"down_x", &downX},
                  {"down_y", &downY},
                  {"last_x", &lastX},
                  {"last_y", &lastY},
                  {"wheel_delta", &wheel},
                  {"button_state", &buttons},
                  {"pressure", &pressure}});
    return std::string();
  }

  std::string inspect(const std::function<void(int)>& look) {
    if (!look)
      return "nothing to inspect with";
    try {
      look(context_.dialog);
    } catch (const std::exception& error) {
      return std::string("the inspection failed: ") + error.what();
    } catch (...) {
      return "the inspection failed";
    }
    return std::string();
  }

  WidgetHost& host_;
  RunContext& context_;
  int listOrdinal_ = 0;
};

} // namespace

bool typeableNumber(const std::string& text) {
  size_t i = 0, n = text.size();
  if (n == 0)
    return true;
  if (text[i] == '+' || text[i] == '-')
    ++i;
  size_t digits = 0;
  while (i < n && std::isdigit(static_cast<unsigned char>(text[i])))
    ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i])))
      ++i, ++digits;
  }
  if (digits == 0)
    return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
      ++i;
    size_t exponentDigits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i])))
      ++i, ++exponentDigits;
    if (exponentDigits == 0)
      return false;
  }
  return i == n;
}

struct ScriptPlayer {
  static const std::vector<UserScript::Action>& actions(const UserScript& script) {
    return *script.actions_;
  }
};

void WidgetHost::endModalRun(int dialogId, int result) {
  for (auto it = runContexts.rbegin(); it != runContexts.rend(); ++it)
    if ((*it)->dialog == dialogId && !(*it)->ended) {
      (*it)->ended = true;
      (*it)->result = result;
      (*it)->dialogDeleted = !liveWidget(dialogId);
      return;
    }
}

namespace {

// Plays a script's actions until the dialog closes, an action fails or the actions run out;
// answers how many actions were taken up (played or failed).
size_t playActions(WidgetHost& host, const std::vector<UserScript::Action>& actions,
                   RunContext& context, ModalRun& run) {
  Player player(host, context);
  size_t next = 0;
  for (; next < actions.size() && !context.ended; ++next) {
    std::string line = describeAction(actions[next]);
    std::string failure;
    try {
      failure = player.perform(actions[next]);
    } catch (...) {
      failure = "the host failed while playing the action";
    }
    if (!failure.empty()) {
      run.log.push_back(line + ": FAILED: " + failure);
      run.failure = line + ": " + failure;
      context.ended = true;
      context.result = 0;
      return next + 1;
    }
    run.log.push_back(line);
    ++run.actionsPlayed;
    if (!host.liveWidget(context.dialog) && !context.ended) {
      context.ended = true;
      context.result = 0;
      context.dialogDeleted = true;
    }
  }
  return next;
}

// What was wrong with a run whose actions all played: the dialog still open, deleted, or
// actions left over.
void noteRunEnd(const RunContext& context, size_t played, size_t actions, ModalRun& run) {
  if (!run.failure.empty())
    return;
  if (!context.ended)
    run.failure = "the script ran out of actions with the dialog still open";
  else if (context.dialogDeleted)
    run.failure = "the dialog was deleted during its modal run";
  else if (played < actions)
    run.failure = std::to_string(actions - played) + " action(s) left over after the dialog closed";
  if (!run.failure.empty())
    run.log.push_back(run.failure);
}

} // namespace

int WidgetHost::runModal(int dialogId) {
  for (RunContext* running : runContexts)
    if (running->dialog == dialogId) {
      owner.recordMisuse("MQWidget_Value(" + std::to_string(dialogId) +
                         ", 0x001): the dialog is already running modally");
      return 0;
    }
  ModalRun run;
  run.dialog = dialogId;
  if (scripts.empty()) {
    run.failure = "no scripted user for this modal run: the dialog was dismissed";
    run.log.push_back(run.failure);
    runs.push_back(run);
    return 0;
  }
  UserScript script = scripts.front();
  scripts.pop_front();
  const auto& actions = ScriptPlayer::actions(script);

  RunContext context;
  context.dialog = dialogId;
  runContexts.push_back(&context);
  modalDialogs.push_back(dialogId);
  const size_t played = playActions(*this, actions, context, run);
  noteRunEnd(context, played, actions.size(), run);
  if (!context.ended)
    context.result = 0;
  modalDialogs.pop_back();
  runContexts.pop_back();
  run.result = context.result;
  runs.push_back(run);
  return context.result;
}

// ---- Host ----

void Host::queueModalScript(const UserScript& script) {
  state_->widgets.scripts.push_back(script);
}

int Host::queuedModalScripts() const {
  return static_cast<int>(state_->widgets.scripts.size());
}

std::vector<ModalRun> Host::modalRuns() const {
  return state_->widgets.runs;
}

std::vector<std::string> Host::scriptFailures() const {
  std::vector<std::string> failures;
  for (const ModalRun& run : state_->widgets.runs)
    if (!run.failure.empty())
      failures.push_back("dialog " + std::to_string(run.dialog) + ": " + run.failure);
  return failures;
}

void Host::clearModalRuns() {
  state_->widgets.runs.clear();
  state_->widgets.scripts.clear();
}

} // namespace sim
