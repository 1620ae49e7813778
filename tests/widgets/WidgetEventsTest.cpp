// WidgetEventCallback as the host calls it: value lists built here by hand, as a host (or a
// broken one) might send them. Nothing unknown may reach a handler.
#include "WidgetTestSupport.h"
#include "widgets/MQWindow.h"
#include "widgets/WidgetIdMap.h"

#include <cstring>

namespace {

// A receiver with one handler of each kind, counting its calls.
class Receiver : public MQDialog {
public:
  explicit Receiver(MQWindowBase& owner) : MQDialog(owner) {}

  int OnExecute(MQWidgetBase* sender, MQDocument document, void* record) {
    ++executes;
    lastSender = sender;
    lastDocument = document;
    lastRecord = record;
    return 11;
  }
  int OnMouse(MQWidgetBase* sender, MQDocument, void* record) {
    lastSender = sender;
    mouse = *static_cast<MouseEventRecord*>(record);
    static_cast<MouseEventRecord*>(record)->finished = finishMouse;
    ++mouseCalls;
    return 12;
  }
  int OnKey(MQWidgetBase* sender, MQDocument, KeyEventRecord& record) {
    lastSender = sender;
    key = record;
    record.finished = finishKey;
    ++keyCalls;
    return 13;
  }
  int OnPaint(MQWidgetBase*, MQDocument, void* record) {
    auto** canvas = static_cast<MQCanvas**>(record);
    paintedCanvas = (*canvas)->handle();
    if (keepCanvas) {
      kept = *canvas;
      *canvas = nullptr;
    }
    return 14;
  }

  int executes = 0, mouseCalls = 0, keyCalls = 0;
  MQWidgetBase* lastSender = nullptr;
  MQDocument lastDocument = nullptr;
  void* lastRecord = nullptr;
  MouseEventRecord mouse;
  KeyEventRecord key;
  bool finishMouse = false, finishKey = false, keepCanvas = false;
  void* paintedCanvas = nullptr;
  MQCanvas* kept = nullptr;
};

// A host's event value list.
class Event {
public:
  Event(const char* type, int target, int sender) : target_(target), sender_(sender) {
    add("target_id", &target_);
    add("sender_id", &sender_);
    add("type", const_cast<char*>(type));
    add("finished", &finished);
  }
  Event& add(const char* key, void* value) {
    entries_.insert(entries_.end() - 1, {const_cast<char*>(key), value});
    return *this;
  }
  MQValueList values() { return entries_.data(); }

  unsigned char finished = 0;

private:
  int target_, sender_;
  std::vector<void*> entries_{nullptr};
};

class EventRouting : public WidgetTest {
protected:
  void SetUp() override {
    WidgetTest::SetUp();
    window = std::make_unique<MQWindow>();
    receiver = std::make_unique<Receiver>(*window);
    button = receiver->MakeButton(receiver.get(), u"Go");
    button->HookExecute(receiver.get(), &Receiver::OnExecute);
    button->HookEvent("leftdown", receiver.get(), &Receiver::OnMouse);
    button->HookEvent("paint", receiver.get(), &Receiver::OnPaint);
    receiver->HookKeyDown(receiver.get(), &Receiver::OnKey);
    executeClosure = button->Handlers()[0].get();
    mouseClosure = button->Handlers()[1].get();
    paintClosure = button->Handlers()[2].get();
    keyClosure = receiver->Handlers()[0].get();
  }
  void TearDown() override {
    receiver.reset();
    window.reset();
    WidgetTest::TearDown();
  }

  MQDocument document = reinterpret_cast<MQDocument>(&documentTag);
  int documentTag = 0;
  std::unique_ptr<MQWindow> window;
  std::unique_ptr<Receiver> receiver;
  MQButton* button = nullptr;
  void *executeClosure = nullptr, *mouseClosure = nullptr, *paintClosure = nullptr,
       *keyClosure = nullptr;
};

TEST_F(EventRouting, RegistrationTellsTheHostOneCallbackAndTheClosure) {
  std::vector<sim::WidgetMessage> hooks = messagesOf(MQWIDGET_MSG_ADD_HANDLER);
  ASSERT_EQ(hooks.size(), 4u);
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(hooks[0].id, button->GetID());
  EXPECT_EQ(
      hooks[0].pairs,
      (Pairs{
          {"type", "execute"}, {"proc", "pointer"}, {"pointer", "pointer"}, {"prior", "false"}}));
  EXPECT_EQ(hooks[3].id, receiver->GetID());
  EXPECT_EQ(hooks[3].pairs[0], (std::pair<std::string, std::string>{"type", "keydown"}));
  EXPECT_EQ(host.findWidget(button->GetID())->handlers,
            (std::vector<std::string>{"execute", "leftdown", "paint"}));
  EXPECT_EQ(button->Handlers().size(), 3u);
  EXPECT_EQ(receiver->Handlers().front().use_count(), 1) << "the widget holds the only handle";
}

TEST_F(EventRouting, AnExecuteEventCallsTheMemberWithoutARecordAndLeavesFinished) {
  Event event("execute", button->GetID(), button->GetID());
  EXPECT_EQ(WidgetEventCallback(document, event.values(), executeClosure), 11);
  EXPECT_EQ(receiver->executes, 1);
  EXPECT_EQ(receiver->lastSender, button);
  EXPECT_EQ(receiver->lastDocument, document) << "the document passes through unchanged";
  EXPECT_EQ(receiver->lastRecord, nullptr);
  EXPECT_EQ(event.finished, 0) << "execute events never write finished";
}

TEST_F(EventRouting, UnknownTargetsPointersAndListsCallNothing) {
  Event foreign("execute", receiver->GetID(), button->GetID());
  EXPECT_EQ(WidgetEventCallback(document, foreign.values(), executeClosure), 0)
      << "a closure of another widget";
  Event stranger("execute", button->GetID(), button->GetID());
  int notAClosure = 0;
  EXPECT_EQ(WidgetEventCallback(document, stranger.values(), &notAClosure), 0);
  EXPECT_EQ(WidgetEventCallback(document, stranger.values(), nullptr), 0);
  Event unknownTarget("execute", 999999, button->GetID());
  EXPECT_EQ(WidgetEventCallback(document, unknownTarget.values(), executeClosure), 0);
  EXPECT_EQ(WidgetEventCallback(document, nullptr, executeClosure), 0);
  void* noType[] = {const_cast<char*>("target_id"), nullptr, nullptr};
  int target = button->GetID();
  noType[1] = &target;
  EXPECT_EQ(WidgetEventCallback(document, noType, executeClosure), 0);
  void* empty[] = {nullptr};
  EXPECT_EQ(WidgetEventCallback(document, empty, executeClosure), 0);
  // A widget with no handlers at all.
  MQLabel* label = receiver->MakeLabel(nullptr, u"quiet");
  Event toLabel("execute", label->GetID(), label->GetID());
  EXPECT_EQ(WidgetEventCallback(document, toLabel.values(), executeClosure), 0);
  EXPECT_EQ(receiver->executes, 0);
}

TEST_F(EventRouting, AnEventOfAnotherKindThanRegisteredCallsNothing) {
  // A key closure must never see a null or a paint record, nor a mouse handler a key record.
  Event executeToKey("execute", receiver->GetID(), receiver->GetID());
  EXPECT_EQ(WidgetEventCallback(document, executeToKey.values(), keyClosure), 0);
  Event paintToKey("paint", receiver->GetID(), receiver->GetID());
  EXPECT_EQ(WidgetEventCallback(document, paintToKey.values(), keyClosure), 0);
  Event keyToMouse("keydown", button->GetID(), button->GetID());
  EXPECT_EQ(WidgetEventCallback(document, keyToMouse.values(), mouseClosure), 0);
  EXPECT_EQ(receiver->keyCalls + receiver->mouseCalls, 0);
}

TEST_F(EventRouting, ASenderWithoutEntryStillRunsTheHandlerWithNullSender) {
  Event event("execute", button->GetID(), 424242);
  EXPECT_EQ(WidgetEventCallback(document, event.values(), executeClosure), 11);
  EXPECT_EQ(receiver->lastSender, nullptr);
}

TEST_F(EventRouting, KeyRecordsSplitTheButtonState) {
  struct Case {
    int state;
    bool left, right, shift, ctrl, middle, alt;
  };
  const Case cases[] = {{0x20, false, false, false, false, false, true},
                        {0x05, true, false, true, false, false, false},
                        {0x3F, true, true, true, true, true, true},
                        {0x0A, false, true, false, true, false, false},
                        {0x10, false, false, false, false, true, false}};
  for (const Case& c : cases) {
    int key = 'E', state = c.state, repeat = 2;
    Event event("keydown", receiver->GetID(), receiver->GetID());
    event.add("key", &key).add("button_state", &state).add("auto_repeat", &repeat);
    EXPECT_EQ(WidgetEventCallback(document, event.values(), keyClosure), 13);
    const KeyEventRecord& r = receiver->key;
    EXPECT_EQ(r.key, 'E');
    EXPECT_TRUE(r.auto_repeat) << "any non-zero auto_repeat";
    EXPECT_EQ(r.leftButton, c.left) << c.state;
    EXPECT_EQ(r.rightButton, c.right) << c.state;
    EXPECT_EQ(r.shift, c.shift) << c.state;
    EXPECT_EQ(r.ctrl, c.ctrl) << c.state;
    EXPECT_EQ(r.middleButton, c.middle) << c.state;
    EXPECT_EQ(r.alt, c.alt) << c.state;
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(event.finished, 0) << "the handler did not finish it";
  }
  // Missing keys read as 0; a later duplicate key is never read.
  int first = 'Q', second = 'W';
  Event bare("keydown", receiver->GetID(), receiver->GetID());
  bare.add("key", &first).add("key", &second).add("button_state", nullptr);
  WidgetEventCallback(document, bare.values(), keyClosure);
  EXPECT_EQ(receiver->key.key, 'Q');
  EXPECT_FALSE(receiver->key.auto_repeat || receiver->key.alt || receiver->key.leftButton);
}

TEST_F(EventRouting, FinishedIsWrittenForMouseAndKeyEventsOnly) {
  receiver->finishKey = true;
  receiver->finishMouse = true;
  Event key("keydown", receiver->GetID(), receiver->GetID());
  WidgetEventCallback(document, key.values(), keyClosure);
  EXPECT_EQ(key.finished, 1);

  int x = 3, y = -4, sx = 100, sy = 200, dx = 1, dy = 2, lx = 7, ly = 8, wheel = -120, state = 0x11;
  float pressure = 0.75f;
  Event mouse("leftdown", button->GetID(), button->GetID());
  mouse.add("client_x", &x).add("client_y", &y).add("screen_x", &sx).add("screen_y", &sy);
  mouse.add("down_x", &dx).add("down_y", &dy).add("last_x", &lx).add("last_y", &ly);
  mouse.add("wheel_delta", &wheel).add("button_state", &state).add("pressure", &pressure);
  EXPECT_EQ(WidgetEventCallback(document, mouse.values(), mouseClosure), 12);
  EXPECT_EQ(mouse.finished, 1);
  const MouseEventRecord& m = receiver->mouse;
  EXPECT_EQ(m.client_x, 3);
  EXPECT_EQ(m.client_y, -4);
  EXPECT_EQ(m.screen_x, 100);
  EXPECT_EQ(m.screen_y, 200);
  EXPECT_EQ(m.down_x, 1);
  EXPECT_EQ(m.down_y, 2);
  EXPECT_EQ(m.last_x, 7);
  EXPECT_EQ(m.last_y, 8);
  EXPECT_EQ(m.wheel_delta, -120);
  EXPECT_EQ(m.pressure, 0.75f);
  EXPECT_TRUE(m.leftButton && m.middleButton);
  EXPECT_FALSE(m.rightButton || m.shift || m.ctrl || m.alt);

  // Without a "finished" key nothing is written anywhere.
  int keyCode = 'A';
  void* noFinished[] = {const_cast<char*>("target_id"),
                        nullptr,
                        const_cast<char*>("type"),
                        const_cast<char*>("keydown"),
                        const_cast<char*>("key"),
                        &keyCode,
                        nullptr};
  int target = receiver->GetID();
  noFinished[1] = &target;
  EXPECT_EQ(WidgetEventCallback(document, noFinished, keyClosure), 13);

  receiver->finishKey = false;
  Event unfinished("keyup", receiver->GetID(), receiver->GetID());
  EXPECT_EQ(WidgetEventCallback(document, unfinished.values(), keyClosure), 0)
      << "keyup was never registered";
}

TEST_F(EventRouting, APaintCanvasIsDestroyedUnlessTheHandlerKeepsIt) {
  int hostCanvas = 0;
  int before = MQCanvas::liveCount();
  Event paint("paint", button->GetID(), button->GetID());
  paint.add("canvas", &hostCanvas);
  EXPECT_EQ(WidgetEventCallback(document, paint.values(), paintClosure), 14);
  EXPECT_EQ(receiver->paintedCanvas, &hostCanvas);
  EXPECT_EQ(MQCanvas::liveCount(), before) << "destroyed after the handler";

  receiver->keepCanvas = true;
  Event again("paint", button->GetID(), button->GetID());
  again.add("canvas", &hostCanvas);
  EXPECT_EQ(WidgetEventCallback(document, again.values(), paintClosure), 14);
  ASSERT_NE(receiver->kept, nullptr);
  EXPECT_EQ(MQCanvas::liveCount(), before + 1) << "kept by the handler";
  EXPECT_EQ(paint.finished, 0);
  delete receiver->kept;
  EXPECT_EQ(MQCanvas::liveCount(), before);

  receiver->keepCanvas = false;
  Event noCanvas("paint", button->GetID(), button->GetID());
  WidgetEventCallback(document, noCanvas.values(), paintClosure);
  EXPECT_EQ(receiver->paintedCanvas, nullptr);
}

TEST_F(EventRouting, AHandlerNeverRunsForADestroyedReceiver) {
  // The button outlives its receiver: another dialog made it.
  MQDialog other(*window);
  MQButton* survivor = other.MakeButton(nullptr, u"Stay");
  survivor->HookExecute(receiver.get(), &Receiver::OnExecute);
  void* closure = survivor->Handlers()[0].get();
  int receiverId = receiver->GetID();
  receiver.reset();
  EXPECT_EQ(widgetidmap::find(receiverId), nullptr);
  Event event("execute", survivor->GetID(), survivor->GetID());
  EXPECT_EQ(WidgetEventCallback(document, event.values(), closure), 0);
  // A late event for the receiver's own widgets finds no target.
  Event late("execute", receiverId, receiverId);
  EXPECT_EQ(WidgetEventCallback(document, late.values(), keyClosure), 0);
}

TEST_F(EventRouting, ClosuresCompareByTypeReceiverAndMember) {
  MQWidgetEventClosure<Receiver> a("execute", receiver.get(), receiver->GetID(),
                                   &Receiver::OnExecute);
  MQWidgetEventClosure<Receiver> same("execute", receiver.get(), receiver->GetID(),
                                      &Receiver::OnExecute);
  MQWidgetEventClosure<Receiver> otherMember("execute", receiver.get(), receiver->GetID(),
                                             &Receiver::OnMouse);
  MQWidgetKeyEventClosure<Receiver> keyKind("keydown", receiver.get(), receiver->GetID(),
                                            &Receiver::OnKey);
  EXPECT_TRUE(a.equals(same));
  EXPECT_FALSE(a.equals(otherMember));
  EXPECT_FALSE(a.equals(keyKind));
  EXPECT_FALSE(keyKind.equals(a));
  EXPECT_EQ(a.receiver(), receiver.get());
}

TEST_F(EventRouting, AThrowingHandlerNeverUnwindsIntoTheHost) {
  struct Thrower : MQDialog {
    explicit Thrower(MQWindowBase& owner) : MQDialog(owner) {}
    int OnExecute(MQWidgetBase*, MQDocument, void*) { throw std::runtime_error("handler"); }
  };
  Thrower thrower(*window);
  thrower.HookExecute(&thrower, &Thrower::OnExecute);
  Event event("execute", thrower.GetID(), thrower.GetID());
  EXPECT_EQ(WidgetEventCallback(document, event.values(), thrower.Handlers()[0].get()), 0);
}

} // namespace
