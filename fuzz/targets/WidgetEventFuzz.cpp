// The widget event callback with event value lists and closure pointers built from the fuzz
// bytes, against real widgets of the widget layer in the simulated host: a dialog and two
// buttons with handlers for execute, mouse, key and paint events. Invariants: a handler runs
// exactly when the target is a live widget of the id map, the pointer is one of that widget's
// own closures and the closure is registered for the event's name; it receives the sender of
// the id map and a record holding the values of the first pairs with exactly the right keys;
// the host's "finished" byte is written (with 1) only for a mouse or key event whose handler
// finished it; a paint canvas is destroyed unless the handler kept it; the callback answers the
// handler's result, else 0. The list is allocated to end exactly at its null key.
#include "FuzzInput.h"
#include "SimHost.h"
#include "host/HostTable.h"
#include "widgets/MQWindow.h"
#include "widgets/WidgetEvents.h"
#include "widgets/WidgetIdMap.h"

#include <memory>
#include <vector>

namespace {

const char* const kEventNames[] = {
    "execute", "leftdown",  "leftup",   "mousemove", "mousewheel", "keydown",         "keyup",
    "paint",   "rightdown", "middleup", "Execute",   "keydown2",   "leftdoubleclick", ""};
constexpr unsigned kEventNameCount = sizeof kEventNames / sizeof kEventNames[0];

const char* const kKeys[] = {"target_id",   "sender_id",    "type",     "finished", "key",
                             "auto_repeat", "button_state", "client_x", "client_y", "screen_x",
                             "screen_y",    "down_x",       "down_y",   "last_x",   "last_y",
                             "wheel_delta", "pressure",     "canvas",   "Type",     "target"};
constexpr unsigned kKeyCount = sizeof kKeys / sizeof kKeys[0];

bool isMouse(const std::string& type) {
  for (const char* name :
       {"leftdown", "leftup", "leftdoubleclick", "middledown", "middleup", "middledoubleclick",
        "rightdown", "rightup", "rightdoubleclick", "mousemove", "mousewheel"})
    if (type == name)
      return true;
  return false;
}

bool isKey(const std::string& type) {
  return type == "keydown" || type == "keyup";
}

// What the last handler call received.
struct Seen {
  int calls = 0;
  std::string handler;
  MQWidgetBase* sender = nullptr;
  MQDocument document = nullptr;
  bool hadMouse = false, hadKey = false;
  MouseEventRecord mouse;
  KeyEventRecord key;
  void* canvas = nullptr;
};

class FuzzDialog : public MQDialog {
public:
  explicit FuzzDialog(MQWindowBase& owner) : MQDialog(owner) {
    first = MakeButton(this, u"First");
    second = MakeButton(this, u"Second");
    first->HookExecute(this, &FuzzDialog::OnExecute);
    second->HookExecute(this, &FuzzDialog::OnExecute);
    for (const char* name : {"leftdown", "mousemove", "mousewheel", "rightdown"})
      first->HookEvent(name, this, &FuzzDialog::OnMouse);
    first->HookEvent("paint", this, &FuzzDialog::OnPaint);
    HookKeyDown(this, &FuzzDialog::OnKey);
    HookKeyEvent("keyup", this, &FuzzDialog::OnKey);
    second->HookKeyEvent("keydown", this, &FuzzDialog::OnKey);
  }
  int OnExecute(MQWidgetBase* sender, MQDocument document, void* record) {
    note("execute", sender, document);
    seen.hadMouse = record != nullptr; // an execute handler gets no record
    return result;
  }
  int OnMouse(MQWidgetBase* sender, MQDocument document, void* record) {
    note("mouse", sender, document);
    seen.hadMouse = record != nullptr;
    if (record) {
      seen.mouse = *static_cast<MouseEventRecord*>(record);
      static_cast<MouseEventRecord*>(record)->finished = finish;
    }
    return result;
  }
  int OnKey(MQWidgetBase* sender, MQDocument document, KeyEventRecord& record) {
    note("key", sender, document);
    seen.hadKey = true;
    seen.key = record;
    record.finished = finish;
    return result;
  }
  int OnPaint(MQWidgetBase* sender, MQDocument document, void* record) {
    note("paint", sender, document);
    auto** canvas = static_cast<MQCanvas**>(record);
    seen.canvas = canvas && *canvas ? (*canvas)->handle() : nullptr;
    if (canvas && keepCanvas) {
      kept.reset(*canvas);
      *canvas = nullptr;
    }
    return result;
  }
  void note(const char* name, MQWidgetBase* sender, MQDocument document) {
    ++seen.calls;
    seen.handler = name;
    seen.sender = sender;
    seen.document = document;
  }

  MQButton* first = nullptr;
  MQButton* second = nullptr;
  Seen seen;
  int result = 0;
  bool finish = false;
  bool keepCanvas = false;
  std::unique_ptr<MQCanvas> kept;
};

struct Pair {
  std::string key;
  bool nullValue = false;
  uint32_t bits = 0;      // int or float values
  std::string text;       // "type" values
  unsigned char flag = 0; // "finished" values
  bool pointerValue = false;
};

const Pair* firstPair(const std::vector<Pair>& pairs, const char* key) {
  for (const Pair& pair : pairs)
    if (pair.key == key)
      return &pair;
  return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool bound = host::bindHostTable(sim::moduleFileName());
  fuzzing::check(bound, "the simulated host binds");
  // One host for the whole run: the dialog is built once and lives in it.
  static sim::Host host;
  static MQWindow mainWindow;
  static std::unique_ptr<FuzzDialog> dialog;
  if (!dialog)
    dialog.reset(new FuzzDialog(mainWindow));
  static sim::Document& document = host.newDocument();

  fuzzing::FuzzInput in(data, size);
  dialog->seen = Seen();
  dialog->result = static_cast<int>(in.word());
  dialog->finish = in.pick(2) == 1;
  dialog->keepCanvas = in.pick(2) == 1;

  // The widgets an id may name: the dialog, its buttons, the main window, and ids of nothing.
  const int ids[] = {dialog->GetID(),
                     dialog->first->GetID(),
                     dialog->second->GetID(),
                     mainWindow.GetID(),
                     0,
                     -1,
                     99999};
  // Pointers the host may hand back: every closure of every widget, and pointers that are no
  // closure at all (never to be followed).
  std::vector<void*> pointers;
  for (MQWidgetBase* widget :
       {static_cast<MQWidgetBase*>(dialog.get()), static_cast<MQWidgetBase*>(dialog->first),
        static_cast<MQWidgetBase*>(dialog->second)})
    for (const auto& handle : widget->Handlers())
      pointers.push_back(handle.get());
  int notAClosure = 0;
  pointers.push_back(&notAClosure);
  pointers.push_back(nullptr);
  void* const pointer = pointers[in.pick(unsigned(pointers.size()))];

  const bool nullList = in.pick(32) == 0;
  std::vector<Pair> pairs(in.pick(14));
  for (Pair& pair : pairs) {
    pair.key = kKeys[in.pick(kKeyCount)];
    pair.nullValue = in.pick(8) == 0;
    if (pair.key == "target_id" || pair.key == "sender_id")
      pair.bits = static_cast<uint32_t>(ids[in.pick(7)]);
    else
      pair.bits = in.word();
    const unsigned name = in.pick(kEventNameCount + 1);
    pair.text = name < kEventNameCount ? kEventNames[name] : in.bytes(10).c_str();
    pair.flag = static_cast<unsigned char>(in.pick(3));
  }
  // Storage of every value, each on its own, and the list ending exactly at its null key.
  std::vector<std::unique_ptr<uint32_t>> ints;
  std::vector<std::unique_ptr<unsigned char>> flags;
  std::vector<std::unique_ptr<char[]>> texts;
  std::unique_ptr<void*[]> list(new void*[2 * pairs.size() + 2]);
  for (size_t i = 0; i < pairs.size(); ++i) {
    const Pair& pair = pairs[i];
    void* value = nullptr;
    if (pair.key == "type") {
      texts.emplace_back(new char[pair.text.size() + 1]);
      std::memcpy(texts.back().get(), pair.text.c_str(), pair.text.size() + 1);
      value = texts.back().get();
    } else if (pair.key == "finished") {
      flags.emplace_back(new unsigned char(pair.flag));
      value = flags.back().get();
    } else if (pair.key == "canvas") {
      value = reinterpret_cast<void*>(static_cast<uintptr_t>(pair.bits) | 1u); // never followed
    } else {
      ints.emplace_back(new uint32_t(pair.bits));
      value = ints.back().get();
    }
    list[2 * i] = const_cast<char*>(pair.key.c_str());
    list[2 * i + 1] = pair.nullValue ? nullptr : value;
  }
  list[2 * pairs.size()] = nullptr;
  list[2 * pairs.size() + 1] = nullptr;

  // What must happen, from the first pairs with exactly the right keys.
  auto intOf = [&](const char* key) {
    const Pair* pair = firstPair(pairs, key);
    return pair && !pair->nullValue ? static_cast<int>(pair->bits) : 0;
  };
  const Pair* typePair = firstPair(pairs, "type");
  const Pair* finishedPair = firstPair(pairs, "finished");
  const bool hasType = !nullList && typePair && !typePair->nullValue;
  const std::string type = hasType ? typePair->text : std::string();
  MQWidgetBase* target = nullList ? nullptr : widgetidmap::find(intOf("target_id"));
  const MQWidgetEventClosureBase* closure = nullptr;
  if (target)
    for (const auto& handle : target->Handlers())
      if (handle.get() == pointer)
        closure = handle.get();
  const bool runs = hasType && closure && closure->eventName() == type;
  const std::vector<unsigned char> flagsBefore = [&] {
    std::vector<unsigned char> copy;
    for (const auto& flag : flags)
      copy.push_back(*flag);
    return copy;
  }();
  const int canvasesBefore = MQCanvas::liveCount();

  const int answer =
      WidgetEventCallback(document.handle(), nullList ? nullptr : list.get(), pointer);

  fuzzing::check(dialog->seen.calls == (runs ? 1 : 0), "a handler runs exactly when it must");
  fuzzing::check(answer == (runs ? dialog->result : 0), "the answer is the handler's result");
  if (runs) {
    fuzzing::check(dialog->seen.sender == widgetidmap::find(intOf("sender_id")),
                   "the sender is the id map's widget for sender_id");
    fuzzing::check(dialog->seen.document == document.handle(), "the document passes through");
    const int buttons = intOf("button_state");
    if (isMouse(type)) {
      fuzzing::check(dialog->seen.hadMouse, "a mouse handler gets a record");
      const MouseEventRecord& m = dialog->seen.mouse;
      fuzzing::check(m.client_x == intOf("client_x") && m.client_y == intOf("client_y") &&
                         m.screen_x == intOf("screen_x") && m.screen_y == intOf("screen_y") &&
                         m.down_x == intOf("down_x") && m.down_y == intOf("down_y") &&
                         m.last_x == intOf("last_x") && m.last_y == intOf("last_y") &&
                         m.wheel_delta == intOf("wheel_delta"),
                     "mouse coordinates from the first exact keys");
      float pressure = 0.0f;
      const Pair* p = firstPair(pairs, "pressure");
      if (p && !p->nullValue)
        std::memcpy(&pressure, &p->bits, sizeof pressure);
      fuzzing::check(std::memcmp(&m.pressure, &pressure, sizeof pressure) == 0,
                     "pressure from the first exact key");
      fuzzing::check(m.leftButton == ((buttons & 0x01) != 0) &&
                         m.rightButton == ((buttons & 0x02) != 0) &&
                         m.shift == ((buttons & 0x04) != 0) && m.ctrl == ((buttons & 0x08) != 0) &&
                         m.middleButton == ((buttons & 0x10) != 0) &&
                         m.alt == ((buttons & 0x20) != 0) && !m.finished,
                     "mouse buttons by bit, finished false on entry");
    } else if (isKey(type)) {
      const KeyEventRecord& k = dialog->seen.key;
      fuzzing::check(k.key == intOf("key") && k.auto_repeat == (intOf("auto_repeat") != 0) &&
                         k.leftButton == ((buttons & 0x01) != 0) &&
                         k.rightButton == ((buttons & 0x02) != 0) &&
                         k.shift == ((buttons & 0x04) != 0) && k.ctrl == ((buttons & 0x08) != 0) &&
                         k.middleButton == ((buttons & 0x10) != 0) &&
                         k.alt == ((buttons & 0x20) != 0) && !k.finished,
                     "key record from the first exact keys, finished false on entry");
    } else if (type == "paint") {
      const Pair* c = firstPair(pairs, "canvas");
      const void* expected = c && !c->nullValue
                                 ? reinterpret_cast<void*>(static_cast<uintptr_t>(c->bits) | 1u)
                                 : nullptr;
      fuzzing::check(dialog->seen.canvas == expected, "the canvas wraps the host's canvas");
    } else {
      fuzzing::check(!dialog->seen.hadMouse, "an execute handler gets no record");
    }
  }
  const bool writesFinished = runs && (isMouse(type) || isKey(type)) && dialog->finish &&
                              finishedPair && !finishedPair->nullValue;
  for (size_t i = 0, f = 0; i < pairs.size(); ++i) {
    if (pairs[i].key != "finished")
      continue;
    const bool isTheFirst = &pairs[i] == finishedPair;
    const unsigned char expected = writesFinished && isTheFirst ? 1 : flagsBefore[f];
    fuzzing::check(*flags[f] == expected, "finished is written only when the handler finished");
    ++f;
  }
  const bool kept = runs && type == "paint" && dialog->keepCanvas;
  fuzzing::check(MQCanvas::liveCount() == canvasesBefore + (kept ? 1 : 0),
                 "a paint canvas lives on only when the handler kept it");
  dialog->kept.reset();
  return 0;
}
