// The simulated host's widgets, seen from tests and the runner: the widget tree the plug-in built
// through MQWidget_Value, a scripted user who works a modal dialog, the record of every widget
// message and of the message boxes shown, and an HTML picture of a dialog. Each host keeps its
// own; the Host member named after each description below answers it.
// Relies on SimHost.h (export macro, documents, strict mode) and the plug-in interface header.
//
// Host behaviour where the widget protocol leaves it open, chosen as a desktop application would
// behave:
//  - The main window exists from the start with id 1; every created widget gets the next id of a
//    counter starting at 100. Ids are never reused within a session.
//  - MsgAddChild appends the child to the container's children ("result" = the child's position
//    among them, from 0); a widget has at most one parent, and only frames and dialogs take
//    children. MsgAttachDialog ties a dialog to its owner window ("result" = 1).
//  - MsgDelete removes the widget and, with it, everything below it. A later MsgDelete of such an
//    implicitly removed child is quietly ignored (the plug-in cannot know); any other message to
//    a removed or never-issued id is ignored and, in strict mode, recorded as a misuse, as are
//    unknown messages, unknown property keys, item properties without a valid "index", writes of
//    read-only properties and deleting the main window.
//  - Every property of the widget protocol is stored and answered on read; a read of a property
//    the host does not know leaves the caller's preset. "text" is read into the caller's buffer:
//    the host writes "text.length" + 1 units.
//  - A list box without "multiselect" keeps at most one item selected: selecting one deselects
//    the others.
//  - A numeric edit ("numeric" = "double") accepts from the user only what a person can type into
//    a number field (typeableNumber below). The plug-in itself may set any text.
//  - Events: for each handler registered on a widget for the event's name (those registered with
//    "prior" = true first, each group in registration order) the host calls "proc" with the
//    document set by setEventDocument, a value list and the handler's "pointer". Every list holds
//    "target_id" (the widget the handler is on), "sender_id" (the widget where the event
//    happened), "type" (the event name) and "finished" (a byte, 0 on entry); key events add "key",
//    "button_state" and "auto_repeat" (ints), mouse events the ints "client_x" ... "wheel_delta",
//    "button_state" and the float "pressure". A key event goes to the focused widget and then to
//    each ancestor up to the dialog, stopping once a handler has set "finished". A removed widget
//    receives nothing, also not the rest of an event already under way.
//  - Clicking a button with "modalresult" ends the modal run with that value (no "execute");
//    any other button fires "execute". Clicking a check box flips "checked", then fires
//    "execute". Selecting, deselecting or toggling a list item fires "selchanged"; typing into an
//    edit fires "changed". The host never acts on "&" mnemonics itself ("&" only underlines);
//    Enter (without modifiers) clicks the usable "default" button and Escape the usable "cancel"
//    button when no key handler finished the key. Closing the window ends the run with
//    kClosedResult.
//  - A control is usable only while it and every container above it are enabled.
//  - A message box returns at once with "result" = 1 (the user pressed OK) and is recorded.
//  - A modal run plays the next queued UserScript. Without one the run ends at once with result 0
//    (as if the user had dismissed the dialog) and the missing script is recorded as a failure,
//    because a real host would wait for a user who never comes. A script whose action cannot be
//    carried out, or that runs out of actions while the dialog is open, ends the run with result 0
//    and records the failure; actions left over after the dialog closed are recorded as a failure
//    too. Failures are read with scriptFailures(): a test passes only when it is empty.
#pragma once

#include "SimHost.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

// The id of the host's main window (what MsgSystem "main_window" answers).
constexpr int kMainWindowId = 1;
// The modal result of a dialog closed with its window's close box.
constexpr int kClosedResult = 2;
// "button_state" bits that pressKey can hold down with a key.
constexpr unsigned kShift = 0x04;
constexpr unsigned kCtrl = 0x08;
constexpr unsigned kAlt = 0x20;
// Key codes the host itself acts on.
constexpr int kKeyEnter = 0x0D;
constexpr int kKeyEscape = 0x1B;

// ---- The widget tree -------------------------------------------------------------------------

struct WidgetItem {
  std::string text; // UTF-8
  std::u16string text16;
  bool selected = false;
};

// A copy of one widget's state, as the host holds it.
struct Widget {
  int id = 0;
  std::string type; // "main_window", "dialog", "frame", "button", "checkbox", "listbox", ...
  bool alive = false;
  int parent = 0; // container that holds it; 0 for none
  int owner = 0;  // dialogs: the window they are attached to
  std::vector<int> children;
  std::string text; // "text", UTF-8
  std::u16string text16;
  std::string title; // "title", UTF-8 (dialogs)
  std::u16string title16;
  bool canResize = false;
  std::string horzLayout, vertLayout, alignment, numeric; // "" when never set
  int matrixColumn = 0;                                   // 0 when never set
  double fillRateX = 0;                                   // 0 when never set
  bool hasFillRateX = false;
  bool readOnly = false, isDefault = false, isCancel = false, checked = false;
  bool multiSelect = false;
  bool enabled = true;
  bool hasModalResult = false;
  int modalResult = 0;
  int visibleItem = -1; // last "makeitemvisible" index
  std::vector<WidgetItem> items;
  std::vector<std::string> handlers; // event names with a registered handler, in order
};

// The widget with this id (alive or removed); empty when the id was never issued.
//   (Host::findWidget)
// Ids of every widget alive now, the main window included, ascending.
//   (Host::liveWidgets)
// The dialog of the innermost modal run under way; 0 when none.
//   (Host::openDialog)
// The widget that has the keyboard focus in a dialog ("focus" = true sets it); 0 for none.
//   (Host::focusedWidget)
// An indented text of the tree below a widget, one line per widget with its type and state;
// stable enough to compare in tests and readable in a runner's log.
//   (Host::describeWidgetTree)

// The next count widget creations answer id 0, as a host out of resources would.
//   (Host::refuseWidgetCreations)

// The document the host passes with widget events (the one the command runs on); null at first.
//   (Host::setEventDocument)

// ---- Records -------------------------------------------------------------------------------

// One MQWidget_Value call as the plug-in sent it, values shown as they were on entry: strings as
// they are, texts in UTF-8, ints and doubles in decimal ("%.17g"), bools "true"/"false", pointers
// "pointer" or "null", a text read buffer "buffer"; a key the host does not know "?".
struct WidgetMessage {
  int id = 0;
  int message = 0;
  std::vector<std::pair<std::string, std::string>> pairs;
};
//   (Host::widgetMessages)
//   (Host::clearWidgetMessages)

// One call of a plug-in's event proc by the host.
struct SentEvent {
  int target = 0;
  int sender = 0;
  std::string type;
  int result = 0;        // what the proc answered
  bool finished = false; // the proc wrote a non-zero "finished"
};
//   (Host::sentEvents)
//   (Host::clearSentEvents)

struct MessageBoxRecord {
  std::string messageType; // "information", ...
  int parent = 0;
  std::string title;   // UTF-8
  std::string message; // UTF-8
};
//   (Host::messageBoxes)
//   (Host::clearMessageBoxes)

// ---- The scripted user ---------------------------------------------------------------------

// A person's actions on one modal dialog, played in order by the next modal run. Controls are
// found as a person finds them, by visible text within the running dialog: a button or check box
// by its caption, an edit by the label right before it in the same container, a list item by its
// text or position (the dialog's first list box, in tree order, unless inList names another).
// A caption matches its exact text or its displayed text ("&" marks removed, "&&" kept as "&").
// Texts are UTF-8. Each action fails when its control is missing, ambiguous or not usable.
class SIMHOST_API UserScript {
public:
  struct Action; // opaque to callers

  UserScript();
  ~UserScript();
  UserScript(const UserScript&);
  UserScript& operator=(const UserScript&);

  // Clicks a button: one with "modalresult" ends the run with it, any other fires "execute".
  UserScript& clickButton(const std::string& caption);
  // Clicks a check box: "checked" flips, then "execute" fires.
  UserScript& clickCheckBox(const std::string& caption);
  // List items, by position or by text. Select and deselect act on an item that is already in
  // that state too (a person clicking again); each fires "selchanged".
  UserScript& selectItem(int index);
  UserScript& selectItem(const std::string& itemText);
  UserScript& deselectItem(int index);
  UserScript& deselectItem(const std::string& itemText);
  UserScript& toggleItem(int index);
  UserScript& toggleItem(const std::string& itemText);
  // Selects each item bearing this text, in list order (a person clicking every one of them
  // with the modifier key held); fails when none does.
  UserScript& selectEveryItem(const std::string& itemText);
  // Which list box the item actions that follow address: the n-th of the dialog, from 0.
  UserScript& inList(int listOrdinal);
  // Replaces the text of the edit after this label; refused when the edit is read-only or, for a
  // numeric edit, when the text is not a number a person could type.
  UserScript& typeText(const std::string& label, const std::string& text);
  // A key press with modifiers (kShift | kCtrl | kAlt): "keydown" then "keyup", routed from the
  // focused widget up to the dialog; Enter and Escape may then click the default/cancel button.
  UserScript& pressKey(int keyCode, unsigned modifiers = 0, bool autoRepeat = false);
  // A mouse event of this name ("leftdown", "mousemove", ...) on the dialog itself.
  struct Mouse {
    int clientX = 0, clientY = 0, screenX = 0, screenY = 0, downX = 0, downY = 0, lastX = 0,
        lastY = 0, wheelDelta = 0;
    unsigned buttonState = 0;
    float pressure = 0;
  };
  UserScript& mouse(const std::string& eventName, const Mouse& state);
  // Closes the dialog with its close box: the run ends with kClosedResult.
  UserScript& closeWindow();
  // Lets the test look at the dialog at this point (its id is passed); the step fails when the
  // callback throws.
  UserScript& inspect(std::function<void(int dialogId)> look);

  // One line per action ("click button \"OK\"", ...), for logs.
  std::vector<std::string> describe() const;
  bool empty() const;

private:
  friend struct ScriptPlayer;
  std::vector<Action>* actions_;
};

// The host's rule for what a person can type into a number field ("numeric" = "double"): empty
// (the field was cleared), or an optional sign, digits with at most one point (at least one
// digit), and an optional exponent "e"/"E" with an optional sign and digits.
SIMHOST_API bool typeableNumber(const std::string& text);

// The script that the next modal run plays (first queued, first played). A message box does not
// take one.
//   (Host::queueModalScript)
//   (Host::queuedModalScripts)

// What one modal run did.
struct ModalRun {
  int dialog = 0;
  int result = 0;               // the modal result handed back to the plug-in
  int actionsPlayed = 0;        // actions carried out
  std::string failure;          // empty when the script played fully and closed the dialog
  std::vector<std::string> log; // one line per action played, failures included
};
//   (Host::modalRuns)
// Every failure text of the runs so far (empty: every script did what it said).
//   (Host::scriptFailures)
// Clears the runs, the failures and the queued scripts.
//   (Host::clearModalRuns)

// ---- Picture -------------------------------------------------------------------------------

// A self-contained HTML page that lays the dialog out as a host plausibly would: frames as
// vertical or horizontal boxes, "matrixcolumn" grids, "fillrate_x" weights, "fill" layouts,
// labels, edits, check boxes with their state, list boxes with items and selection, buttons.
// dialogId 0 means the dialog of the innermost modal run. Empty text when there is no such dialog.
//   (Host::dialogPictureHtml)
// Writes that page to a file; false when there is no such dialog or the file cannot be written.
//   (Host::writeDialogPicture)

// Clears every record above (messages, events, message boxes, runs, failures, queued scripts);
// widgets stay.
//   (Host::clearWidgetRecords)

} // namespace sim
