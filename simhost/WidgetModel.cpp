// The widget tree of the simulated host and its public queries and records.
#include "HostState.h"

#include <algorithm>
#include <sstream>

namespace sim {

WidgetHost::WidgetHost(HostState& host) : owner(host) {
  WidgetData& main = widgets[kMainWindowId];
  main.id = kMainWindowId;
  main.type = "main_window";
}

WidgetData* WidgetHost::liveWidget(int id) {
  auto it = widgets.find(id);
  return it != widgets.end() && it->second.alive ? &it->second : nullptr;
}

int WidgetHost::dialogOf(int id) {
  for (WidgetData* widget = liveWidget(id); widget; widget = liveWidget(widget->parent))
    if (widget->type == "dialog")
      return widget->id;
  return 0;
}

std::vector<int> WidgetHost::widgetsBelow(int root) {
  std::vector<int> order;
  if (!liveWidget(root))
    return order;
  std::vector<int> pending{root};
  while (!pending.empty()) {
    int id = pending.back();
    pending.pop_back();
    WidgetData* widget = liveWidget(id);
    if (!widget)
      continue;
    order.push_back(id);
    for (auto it = widget->children.rbegin(); it != widget->children.rend(); ++it)
      pending.push_back(*it);
  }
  return order;
}

bool WidgetHost::widgetUsable(int id) {
  WidgetData* widget = liveWidget(id);
  if (!widget)
    return false;
  for (; widget; widget = liveWidget(widget->parent))
    if (!widget->enabled)
      return false;
  return true;
}

void WidgetHost::removeWidget(int id) {
  WidgetData* widget = liveWidget(id);
  if (!widget)
    return;
  if (WidgetData* container = liveWidget(widget->parent)) {
    auto& siblings = container->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
  }
  for (int below : widgetsBelow(id)) {
    WidgetData* gone = liveWidget(below);
    gone->alive = false;
    gone->removedWithParent = below != id;
  }
}

std::string toUtf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool fromUtf8(const std::string& text, std::u16string& out) {
  out.clear();
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80           ? 0
                : (lead >> 5) == 0x6  ? 1
                : (lead >> 4) == 0xE  ? 2
                : (lead >> 3) == 0x1E ? 3
                                      : -1;
    if (extra < 0 || i + extra >= text.size())
      return false;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      c = (c << 6) | (next & 0x3F);
    }
    static const char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      return false;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += extra + 1;
  }
  return true;
}

std::u16string displayedCaption(const std::u16string& caption) {
  std::u16string shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 < caption.size() && caption[i + 1] == u'&')
        shown += u'&', ++i;
      continue;
    }
    shown += caption[i];
  }
  return shown;
}

namespace {

Widget snapshot(const WidgetData& data) {
  Widget widget;
  widget.id = data.id;
  widget.type = data.type;
  widget.alive = data.alive;
  widget.parent = data.parent;
  widget.owner = data.owner;
  widget.children = data.children;
  widget.text16 = data.text;
  widget.text = toUtf8(data.text);
  widget.title16 = data.title;
  widget.title = toUtf8(data.title);
  widget.canResize = data.canResize;
  widget.horzLayout = data.horzLayout;
  widget.vertLayout = data.vertLayout;
  widget.alignment = data.alignment;
  widget.numeric = data.numeric;
  widget.matrixColumn = data.matrixColumn;
  widget.fillRateX = data.fillRateX;
  widget.hasFillRateX = data.hasFillRateX;
  widget.readOnly = data.readOnly;
  widget.isDefault = data.isDefault;
  widget.isCancel = data.isCancel;
  widget.checked = data.checked;
  widget.multiSelect = data.multiSelect;
  widget.enabled = data.enabled;
  widget.hasModalResult = data.hasModalResult;
  widget.modalResult = data.modalResult;
  widget.visibleItem = data.visibleItem;
  for (const ItemData& item : data.items)
    widget.items.push_back(WidgetItem{toUtf8(item.text), item.text, item.selected});
  for (const HandlerRegistration& handler : data.handlers)
    widget.handlers.push_back(handler.type);
  return widget;
}

void describeInto(WidgetHost& host, std::ostringstream& out, int id, int depth) {
  WidgetData* w = host.liveWidget(id);
  if (!w)
    return;
  out << std::string(static_cast<size_t>(depth) * 2, ' ') << w->type;
  if (!w->title.empty())
    out << " title=\"" << toUtf8(w->title) << '"';
  if (w->canResize)
    out << " resizable";
  if (!w->text.empty() || w->type == "edit")
    out << " text=\"" << toUtf8(w->text) << '"';
  if (!w->alignment.empty())
    out << " " << w->alignment;
  if (w->matrixColumn)
    out << " columns=" << w->matrixColumn;
  if (w->hasFillRateX)
    out << " fillrate_x=" << w->fillRateX;
  if (!w->horzLayout.empty())
    out << " horz=" << w->horzLayout;
  if (!w->vertLayout.empty())
    out << " vert=" << w->vertLayout;
  if (w->type == "checkbox")
    out << (w->checked ? " [x]" : " [ ]");
  if (w->readOnly)
    out << " readonly";
  if (!w->numeric.empty())
    out << " numeric=" << w->numeric;
  if (w->isDefault)
    out << " default";
  if (w->isCancel)
    out << " cancel";
  if (w->hasModalResult)
    out << " modalresult=" << w->modalResult;
  if (w->multiSelect)
    out << " multiselect";
  if (!w->enabled)
    out << " disabled";
  if (int dialog = host.dialogOf(id);
      dialog && host.liveWidget(dialog)->focus == id && dialog != id)
    out << " focus";
  for (const HandlerRegistration& handler : w->handlers)
    out << " on:" << handler.type;
  out << '\n';
  for (size_t i = 0; i < w->items.size(); ++i)
    out << std::string(static_cast<size_t>(depth + 1) * 2, ' ')
        << (w->items[i].selected ? "* " : "- ") << toUtf8(w->items[i].text) << '\n';
  for (int child : w->children)
    describeInto(host, out, child, depth + 1);
}

} // namespace

int WidgetHost::focusedWidget(int dialogId) {
  WidgetData* dialog = liveWidget(dialogId);
  if (!dialog || dialog->type != "dialog" || !liveWidget(dialog->focus) ||
      dialogOf(dialog->focus) != dialogId)
    return 0;
  return dialog->focus;
}

std::string describeWidgetTree(WidgetHost& host, int id) {
  std::ostringstream out;
  describeInto(host, out, id, 0);
  return out.str();
}

// ---- Host ----

std::optional<Widget> Host::findWidget(int id) const {
  const auto& widgets = state_->widgets.widgets;
  auto it = widgets.find(id);
  if (it == widgets.end())
    return std::nullopt;
  return snapshot(it->second);
}

std::vector<int> Host::liveWidgets() const {
  std::vector<int> ids;
  for (const auto& entry : state_->widgets.widgets)
    if (entry.second.alive)
      ids.push_back(entry.first);
  return ids;
}

int Host::openDialog() const {
  return state_->widgets.openDialog();
}

int Host::focusedWidget(int dialogId) const {
  return state_->widgets.focusedWidget(dialogId);
}

std::string Host::describeWidgetTree(int id) const {
  return sim::describeWidgetTree(state_->widgets, id);
}

void Host::setEventDocument(MQDocument document) {
  state_->widgets.eventDocument = document;
}

void Host::refuseWidgetCreations(int count) {
  state_->widgets.refuseCreations = std::max(0, count);
}

std::vector<WidgetMessage> Host::widgetMessages() const {
  return state_->widgets.messages;
}
void Host::clearWidgetMessages() {
  state_->widgets.messages.clear();
}
std::vector<SentEvent> Host::sentEvents() const {
  return state_->widgets.events;
}
void Host::clearSentEvents() {
  state_->widgets.events.clear();
}
std::vector<MessageBoxRecord> Host::messageBoxes() const {
  return state_->widgets.boxes;
}
void Host::clearMessageBoxes() {
  state_->widgets.boxes.clear();
}

void Host::clearWidgetRecords() {
  clearWidgetMessages();
  clearSentEvents();
  clearMessageBoxes();
  clearModalRuns();
}

} // namespace sim
