// One host's widget state, shared by the widget files: every widget ever made (removed ones stay,
// marked dead, so ids are never reused and stale ids are recognised), the records, the scripts
// waiting for a modal run, the modal runs under way, and the event delivery to the plug-in.
// Internal to the simulated host.
#pragma once

#include "SimWidgets.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace sim {

struct HandlerRegistration {
  std::string type;
  MQWidgetEventProc proc = nullptr;
  void* pointer = nullptr;
  bool prior = false;
};

struct ItemData {
  std::u16string text;
  bool selected = false;
};

struct WidgetData {
  int id = 0;
  std::string type;
  bool alive = true;
  bool removedWithParent = false; // removed because a container above it was deleted
  int parent = 0;
  int owner = 0;
  std::vector<int> children;
  std::u16string text, title;
  bool canResize = false;
  std::string horzLayout, vertLayout, alignment, numeric;
  int matrixColumn = 0;
  double fillRateX = 0;
  bool hasFillRateX = false;
  bool readOnly = false, isDefault = false, isCancel = false, checked = false;
  bool multiSelect = false, enabled = true;
  bool hasModalResult = false;
  int modalResult = 0;
  int visibleItem = -1;
  int focus = 0; // dialogs: the widget with the keyboard focus
  std::vector<ItemData> items;
  std::vector<HandlerRegistration> handlers;
};

struct HostState;
struct RunContext; // a modal run under way (ScriptedUser.cpp)

struct WidgetHost {
  explicit WidgetHost(HostState& owner);
  WidgetHost(const WidgetHost&) = delete;
  WidgetHost& operator=(const WidgetHost&) = delete;

  // The widget with this id when it is alive, else null.
  WidgetData* liveWidget(int id);
  // The dialog a widget belongs to (itself for a dialog); 0 when it is in none.
  int dialogOf(int id);
  // Alive widgets below root (root first), depth first in child order.
  std::vector<int> widgetsBelow(int root);
  // Usable: alive, and it and every container above it enabled.
  bool widgetUsable(int id);
  // Marks a widget and everything below it removed, and takes it out of its container.
  void removeWidget(int id);
  // The modal run under way for a dialog, if any, learns that the dialog ended.
  void endModalRun(int dialogId, int result);
  // The dialog of the innermost modal run; 0 when none.
  int openDialog() const { return modalDialogs.empty() ? 0 : modalDialogs.back(); }
  // The focused widget of a dialog; 0 for none.
  int focusedWidget(int dialogId);

  // The host's calls of the plug-in's handlers for one event on one widget. extra holds further
  // key/value pairs (values owned by the caller). Answers whether any handler set "finished".
  bool deliverEvent(int targetId, int senderId, const char* type,
                    const std::vector<std::pair<const char*, void*>>& extra);

  // Runs a dialog modally: plays the next queued script. Answers the modal result.
  int runModal(int dialogId);

  HostState& owner;                  // for the misuse record
  std::map<int, WidgetData> widgets; // node-based: references stay valid while others are added
  int nextId = 100;
  int refuseCreations = 0;
  MQDocument eventDocument = nullptr;
  std::vector<WidgetMessage> messages;
  std::vector<SentEvent> events;
  std::vector<MessageBoxRecord> boxes;
  std::deque<UserScript> scripts;
  std::vector<ModalRun> runs;
  std::vector<int> modalDialogs;        // innermost last
  std::vector<RunContext*> runContexts; // innermost last
};

// The widget message of the host interface, answered by one host's widgets.
void widgetValue(WidgetHost& host, int id, int message, MQValueList values);
// An indented text of the tree below a widget (SimWidgets.h).
std::string describeWidgetTree(WidgetHost& host, int id);
// A picture of a dialog (SimWidgets.h); dialogId 0 is the open dialog.
std::string dialogPictureHtml(WidgetHost& host, int dialogId);

// Text conversions: UTF-16 to UTF-8 (a lone surrogate becomes U+FFFD) and back (false when the
// text is not valid UTF-8).
std::string toUtf8(const std::u16string& text);
bool fromUtf8(const std::string& text, std::u16string& out);
// The text a person sees on a caption: "&" marks removed, "&&" shown as "&".
std::u16string displayedCaption(const std::u16string& caption);

} // namespace sim
