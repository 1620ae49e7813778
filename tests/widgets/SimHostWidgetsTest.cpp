// The simulated host's widgets on their own, driven through the exported MQWidget_Value as any
// plug-in would: ids, containers, deletion, property answers, event order and routing.
#include "PluginUnderTest.h"
#include "SimHost.h"
#include "SimWidgets.h"
#include "StrictHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct ProcCall {
  int target, sender;
  std::string type;
  void* pointer;
  int key;
};
std::vector<ProcCall> g_calls;
// Set by a test: the proc marks these pointers' events finished, or deletes this widget.
void* g_finishPointer = nullptr;
int g_deleteOnCall = 0;
MQWidget_Value_fn g_widgetValue = nullptr;

int readInt(MQValueList values, const char* key) {
  for (void** entry = values; entry[0]; entry += 2)
    if (std::strcmp(static_cast<const char*>(entry[0]), key) == 0)
      return *static_cast<int*>(entry[1]);
  return -12345;
}

void* readPointer(MQValueList values, const char* key) {
  for (void** entry = values; entry[0]; entry += 2)
    if (std::strcmp(static_cast<const char*>(entry[0]), key) == 0)
      return entry[1];
  return nullptr;
}

int recordingProc(MQDocument, MQValueList values, void* pointer) {
  g_calls.push_back(ProcCall{readInt(values, "target_id"), readInt(values, "sender_id"),
                             static_cast<const char*>(readPointer(values, "type")), pointer,
                             readInt(values, "key")});
  if (pointer == g_finishPointer)
    *static_cast<unsigned char*>(readPointer(values, "finished")) = 1;
  if (g_deleteOnCall) {
    void* none[] = {nullptr};
    g_widgetValue(g_deleteOnCall, MQWIDGET_MSG_DELETE, none);
    g_deleteOnCall = 0;
  }
  return 0;
}

class HostWidgets : public testing_support::StrictHost {
protected:
  void SetUp() override {
    StrictHost::SetUp();
    ASSERT_TRUE(module.loaded());
    g_widgetValue = module.function<MQWidget_Value_fn>("MQWidget_Value");
    ASSERT_NE(g_widgetValue, nullptr);
    g_calls.clear();
    g_finishPointer = nullptr;
    g_deleteOnCall = 0;
    host.clearWidgetRecords();
  }
  void TearDown() override {
    for (int id : host.liveWidgets())
      if (id != sim::kMainWindowId)
        remove(id);
    host.clearWidgetRecords();
    StrictHost::TearDown();
  }

  void send(int id, int message, std::vector<void*> pairs) {
    pairs.push_back(nullptr);
    g_widgetValue(id, message, pairs.data());
  }
  static void* key(const char* name) { return const_cast<char*>(name); }

  int create(const char* type) {
    int id = 0;
    send(0, MQWIDGET_MSG_CREATE, {key("type"), key(type), key("id"), &id});
    return id;
  }
  int addChild(int container, int child) {
    int result = -1;
    send(container, MQWIDGET_MSG_ADD_CHILD, {key("child"), &child, key("result"), &result});
    return result;
  }
  void remove(int id) { send(id, MQWIDGET_MSG_DELETE, {}); }
  void setText(int id, const char16_t* text) {
    send(id, MQWIDGET_MSG_SET, {key("text"), const_cast<char16_t*>(text)});
  }
  void setBool(int id, const char* name, bool value) {
    send(id, MQWIDGET_MSG_SET, {key(name), &value});
  }
  void setInt(int id, const char* name, int value) {
    send(id, MQWIDGET_MSG_SET, {key(name), &value});
  }
  void hook(int id, const char* type, void* pointer, bool prior = false) {
    MQWidgetEventProc proc = &recordingProc;
    send(id, MQWIDGET_MSG_ADD_HANDLER,
         {key("type"), key(type), key("proc"), reinterpret_cast<void*>(proc), key("pointer"),
          pointer, key("prior"), &prior});
  }
  int runModal(int dialog) {
    int result = 0;
    send(dialog, MQWIDGET_MSG_RUN, {key("type"), key("modal"), key("result"), &result});
    return result;
  }
  testing_support::LoadedModule module{testing_support::simHostFile()};
};

TEST_F(HostWidgets, IdsAreNeverReusedAndTheMainWindowIsKnown) {
  int mainWindow = -1;
  send(0, MQWIDGET_MSG_SYSTEM, {key("system"), key("main_window"), key("result"), &mainWindow});
  EXPECT_EQ(mainWindow, sim::kMainWindowId);
  int first = create("button");
  remove(first);
  int second = create("button");
  EXPECT_GT(second, first);
  EXPECT_FALSE(host.findWidget(first)->alive);
  EXPECT_EQ(create("slider"), 0) << "an unknown type makes nothing";
  EXPECT_EQ(takeMisuses().size(), 1u);
  EXPECT_TRUE(takeMisuses().empty());
}

TEST_F(HostWidgets, DeletingAContainerTakesItsChildrenAlong) {
  int dialog = create("dialog");
  int frame = create("frame");
  int button = create("button");
  EXPECT_EQ(addChild(dialog, frame), 0);
  EXPECT_EQ(addChild(frame, button), 0);
  remove(frame);
  EXPECT_FALSE(host.findWidget(button)->alive);
  EXPECT_TRUE(host.findWidget(dialog)->children.empty());
  remove(button);
  EXPECT_TRUE(takeMisuses().empty()) << "the child's own delete after its container's is fine";
  remove(button);
  remove(sim::kMainWindowId);
  setText(frame, u"late");
  EXPECT_EQ(takeMisuses().size(), 3u) << "double delete, main window, message to a dead id";
  remove(dialog);
}

TEST_F(HostWidgets, ContainersRefuseWhatAPersonCouldNotBuild) {
  int dialog = create("dialog");
  int frame = create("frame");
  int label = create("label");
  EXPECT_EQ(addChild(label, frame), -1) << "a label takes no children";
  EXPECT_EQ(addChild(frame, frame), -1);
  EXPECT_EQ(addChild(frame, dialog), -1);
  EXPECT_EQ(addChild(dialog, frame), 0);
  EXPECT_EQ(addChild(frame, label), 0);
  EXPECT_EQ(addChild(dialog, label), -1) << "already in a container";
  int inner = create("frame");
  EXPECT_EQ(addChild(frame, inner), 1);
  EXPECT_EQ(addChild(inner, frame), -1) << "no cycles";
  EXPECT_EQ(takeMisuses().size(), 5u);
}

TEST_F(HostWidgets, ReadsAnswerStoredPropertiesAndLeaveUnknownOnesAlone) {
  int edit = create("edit");
  setText(edit, u"12.5");
  int length = 0, unknown = 77;
  bool readOnly = true;
  send(edit, MQWIDGET_MSG_GET,
       {key("text.length"), &length, key("readonly"), &readOnly, key("colour"), &unknown});
  EXPECT_EQ(length, 4);
  EXPECT_FALSE(readOnly);
  EXPECT_EQ(unknown, 77) << "the caller's preset stays";
  EXPECT_EQ(takeMisuses().size(), 1u);
  char16_t buffer[5] = {u'x', u'x', u'x', u'x', u'x'};
  send(edit, MQWIDGET_MSG_GET, {key("text"), buffer});
  EXPECT_EQ(std::u16string(buffer), u"12.5");
  int count = 0;
  send(edit, MQWIDGET_MSG_SET, {key("item.count"), &count});
  EXPECT_EQ(takeMisuses().size(), 1u) << "a count cannot be written";
}

TEST_F(HostWidgets, ASingleSelectListKeepsOneItem) {
  int list = create("listbox");
  for (const char16_t* text : {u"a", u"b", u"c"}) {
    int index = -1;
    send(
        list, MQWIDGET_MSG_CALL,
        {key("additem"), nullptr, key("text"), const_cast<char16_t*>(text), key("result"), &index});
  }
  bool on = true;
  int first = 0, last = 2;
  send(list, MQWIDGET_MSG_SET, {key("index"), &first, key("item.selected"), &on});
  send(list, MQWIDGET_MSG_SET, {key("index"), &last, key("item.selected"), &on});
  std::vector<sim::WidgetItem> items = host.findWidget(list)->items;
  EXPECT_FALSE(items[0].selected);
  EXPECT_TRUE(items[2].selected);
  int outOfRange = 3;
  send(list, MQWIDGET_MSG_SET, {key("index"), &outOfRange, key("item.selected"), &on});
  send(list, MQWIDGET_MSG_SET, {key("item.selected"), &on});
  EXPECT_EQ(takeMisuses().size(), 2u) << "an item property needs a valid index";
}

TEST_F(HostWidgets, HandlersRunPriorFirstThenInRegistrationOrder) {
  int dialog = create("dialog");
  int button = create("button");
  addChild(dialog, button);
  int a = 0, b = 0, c = 0;
  hook(button, "execute", &a);
  hook(button, "execute", &b, true);
  hook(button, "keydown", &c);
  host.queueModalScript(sim::UserScript().clickButton("").closeWindow());
  EXPECT_EQ(runModal(dialog), sim::kClosedResult);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].pointer, &b);
  EXPECT_EQ(g_calls[1].pointer, &a);
  EXPECT_EQ(g_calls[0].target, button);
  EXPECT_EQ(g_calls[0].sender, button);
  EXPECT_EQ(g_calls[0].type, "execute");
  EXPECT_TRUE(host.scriptFailures().empty());
}

TEST_F(HostWidgets, KeysBubbleFromTheFocusUntilFinished) {
  int dialog = create("dialog");
  int frame = create("frame");
  int edit = create("edit");
  addChild(dialog, frame);
  addChild(frame, edit);
  int onFrame = 0, onDialog = 0;
  hook(frame, "keydown", &onFrame);
  hook(dialog, "keydown", &onDialog);
  setBool(edit, "focus", true);
  host.queueModalScript(sim::UserScript()
                            .pressKey('K', sim::kCtrl)
                            .inspect([](int) { g_finishPointer = nullptr; })
                            .closeWindow());
  g_finishPointer = &onFrame;
  runModal(dialog);
  ASSERT_EQ(g_calls.size(), 1u) << "the frame finished it; the dialog never sees it";
  EXPECT_EQ(g_calls[0].target, frame);
  EXPECT_EQ(g_calls[0].sender, edit);
  EXPECT_EQ(g_calls[0].key, 'K');
  std::vector<sim::SentEvent> events = host.sentEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(events[0].finished);

  g_calls.clear();
  host.queueModalScript(sim::UserScript().pressKey('K').closeWindow());
  runModal(dialog);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[1].target, dialog);
  EXPECT_EQ(g_calls[1].sender, edit);
}

TEST_F(HostWidgets, ARemovedWidgetGetsNoMoreOfTheEvent) {
  int dialog = create("dialog");
  int button = create("button");
  addChild(dialog, button);
  setText(button, u"Go");
  int a = 0, b = 0;
  hook(button, "execute", &a);
  hook(button, "execute", &b);
  g_deleteOnCall = dialog; // the first handler closes everything
  host.queueModalScript(sim::UserScript().clickButton("Go").closeWindow());
  EXPECT_EQ(runModal(dialog), 0);
  EXPECT_EQ(g_calls.size(), 1u);
  std::vector<std::string> failures = host.scriptFailures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("deleted during its modal run"), std::string::npos);
}

TEST_F(HostWidgets, RunsAndMessageBoxesAreRecorded) {
  int parent = sim::kMainWindowId, result = 0;
  const char16_t* message = u"完了";
  send(0, MQWIDGET_MSG_RUN,
       {key("type"), key("messagebox"), key("messagetype"), key("information"), key("parent"),
        &parent, key("message"), const_cast<char16_t*>(message), key("title"),
        const_cast<char16_t*>(u"T"), key("result"), &result});
  EXPECT_EQ(result, 1);
  ASSERT_EQ(host.messageBoxes().size(), 1u);
  EXPECT_EQ(host.messageBoxes()[0].message, "完了");
  int label = create("label");
  EXPECT_EQ(runModal(label), 0);
  EXPECT_EQ(takeMisuses().size(), 1u) << "only a dialog runs modally";
  EXPECT_EQ(host.dialogPictureHtml(label), "");
  EXPECT_EQ(host.dialogPictureHtml(0), "") << "no dialog is open";
}

} // namespace
