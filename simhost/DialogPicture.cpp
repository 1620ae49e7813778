// A picture of a dialog: its widget tree as a self-contained HTML page, laid out with CSS boxes
// the way a host plausibly lays out its frames (rows, columns, grids, relative widths).
#include "HostState.h"

#include <fstream>
#include <sstream>

namespace sim {
namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

// A caption with its mnemonic underlined: "Rate(&R)" shows "Rate(R)" with the R underlined.
std::string caption(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) {
      ++i;
      std::string letter = escaped(toUtf8(text.substr(i, 1)));
      out += text[i] == u'&' ? letter : "<u>" + letter + "</u>";
      continue;
    }
    out += escaped(toUtf8(text.substr(i, 1)));
  }
  return out;
}

// How a widget sits in its container: widths by weight along a row, "fill" stretching.
std::string placement(const WidgetData& widget, const WidgetData* container) {
  std::ostringstream style;
  bool inRow = container && container->type == "frame" && container->alignment == "horz" &&
               container->matrixColumn == 0;
  bool inColumn = container && !inRow && container->matrixColumn == 0;
  if (inRow) {
    if (widget.hasFillRateX)
      style << "flex:" << widget.fillRateX << " 1 0;";
    else if (widget.horzLayout == "fill")
      style << "flex:1 1 auto;";
    if (widget.vertLayout == "fill")
      style << "align-self:stretch;";
  } else if (inColumn) {
    if (widget.vertLayout == "fill")
      style << "flex:1 1 auto;";
    style << (widget.horzLayout == "fill" || widget.type == "frame" ? "align-self:stretch;"
                                                                    : "align-self:flex-start;");
  } else if (widget.horzLayout == "fill") {
    style << "justify-self:stretch;";
  }
  return style.str();
}

std::string gridColumns(WidgetHost& host, const WidgetData& grid) {
  std::ostringstream columns;
  for (int c = 0; c < grid.matrixColumn; ++c) {
    const WidgetData* cell = c < static_cast<int>(grid.children.size())
                                 ? host.liveWidget(grid.children[static_cast<size_t>(c)])
                                 : nullptr;
    if (c)
      columns << ' ';
    if (cell && cell->hasFillRateX)
      columns << cell->fillRateX << "fr";
    else
      columns << "auto";
  }
  return columns.str();
}

void draw(WidgetHost& host, std::ostringstream& out, int id, int depth, int focus) {
  WidgetData* widget = host.liveWidget(id);
  if (!widget)
    return;
  const WidgetData* container = host.liveWidget(widget->parent);
  std::string indent(static_cast<size_t>(depth) * 2, ' ');
  std::string style = placement(*widget, container);
  if (widget->type == "frame" && widget->matrixColumn > 0)
    style += "grid-template-columns:" + gridColumns(host, *widget) + ";";
  std::string common = " data-type=\"" + widget->type + "\"" +
                       (style.empty() ? "" : " style=\"" + style + "\"") +
                       (!widget->enabled ? " data-disabled=\"true\"" : "") +
                       (focus == id ? " data-focus=\"true\"" : "");
  const std::string& type = widget->type;
  if (type == "frame") {
    std::string layout = widget->matrixColumn > 0      ? "grid"
                         : widget->alignment == "horz" ? "row"
                                                       : "column";
    out << indent << "<div class=\"frame " << layout << "\"" << common;
    if (widget->matrixColumn > 0)
      out << " data-columns=\"" << widget->matrixColumn << "\"";
    out << ">\n";
    for (int child : widget->children)
      draw(host, out, child, depth + 1, focus);
    out << indent << "</div>\n";
  } else if (type == "label") {
    out << indent << "<span class=\"label\"" << common << ">" << caption(widget->text)
        << "</span>\n";
  } else if (type == "edit") {
    out << indent << "<input class=\"edit" << (widget->numeric.empty() ? "" : " numeric")
        << "\" type=\"text\"" << common << " value=\"" << escaped(toUtf8(widget->text)) << "\""
        << (widget->readOnly ? " readonly" : "") << (widget->enabled ? "" : " disabled") << ">\n";
  } else if (type == "checkbox") {
    out << indent << "<label class=\"checkbox\"" << common << "><input type=\"checkbox\""
        << (widget->checked ? " checked" : "") << (widget->enabled ? "" : " disabled") << "> "
        << caption(widget->text) << "</label>\n";
  } else if (type == "button") {
    out << indent << "<button class=\"button" << (widget->isDefault ? " default" : "")
        << (widget->isCancel ? " cancel" : "") << "\"" << common
        << (widget->enabled ? "" : " disabled") << ">" << caption(widget->text) << "</button>\n";
  } else if (type == "listbox") {
    out << indent << "<select class=\"listbox\" size=\"8\"" << common
        << (widget->multiSelect ? " multiple" : "") << (widget->enabled ? "" : " disabled")
        << ">\n";
    for (const ItemData& item : widget->items)
      out << indent << "  <option" << (item.selected ? " selected" : "") << ">"
          << escaped(toUtf8(item.text)) << "</option>\n";
    out << indent << "</select>\n";
  } else {
    out << indent << "<div class=\"unknown\"" << common << ">" << escaped(type) << "</div>\n";
  }
}

const char kStyle[] = R"(body { font: 13px sans-serif; background: #8a9bb0; padding: 24px; }
.dialog { display: inline-flex; flex-direction: column; min-width: 560px; background: #f0f0f0;
  border: 1px solid #444; box-shadow: 4px 4px 12px rgba(0,0,0,.4); }
.titlebar { background: #2b579a; color: #fff; padding: 4px 8px; font-weight: bold; }
.client { display: flex; flex-direction: column; padding: 8px; flex: 1 1 auto; }
.frame { display: flex; gap: 4px; }
.frame.row { flex-direction: row; align-items: flex-start; }
.frame.column { flex-direction: column; }
.frame.grid { display: grid; gap: 4px 8px; align-items: center; }
.label { padding: 3px 0; white-space: nowrap; }
.edit { min-width: 60px; padding: 2px 4px; border: 1px solid #888; }
.edit[readonly] { background: #e4e4e4; }
.edit.numeric { text-align: right; }
.checkbox { white-space: nowrap; padding: 1px 0; }
.button { min-width: 80px; padding: 3px 10px; }
.button.default { border: 2px solid #2b579a; }
.listbox { min-width: 200px; min-height: 120px; }
[data-focus] { outline: 2px dotted #2b579a; }
)";

} // namespace

std::string dialogPictureHtml(WidgetHost& host, int dialogId) {
  if (dialogId == 0)
    dialogId = host.openDialog();
  WidgetData* dialog = host.liveWidget(dialogId);
  if (!dialog || dialog->type != "dialog")
    return std::string();
  std::ostringstream out;
  std::string title = escaped(toUtf8(dialog->title));
  out << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" << title
      << "</title>\n<style>\n"
      << kStyle << "</style>\n</head>\n<body>\n";
  out << "<div class=\"dialog\" data-type=\"dialog\""
      << (dialog->canResize ? " data-resizable=\"true\"" : "") << ">\n";
  out << "  <div class=\"titlebar\">" << title << "</div>\n";
  out << "  <div class=\"client\">\n";
  int focus = host.focusedWidget(dialogId);
  for (int child : dialog->children)
    draw(host, out, child, 2, focus);
  out << "  </div>\n</div>\n</body>\n</html>\n";
  return out.str();
}

std::string Host::dialogPictureHtml(int dialogId) const {
  return sim::dialogPictureHtml(state_->widgets, dialogId);
}

bool Host::writeDialogPicture(int dialogId, const std::string& path) const {
  std::string page = dialogPictureHtml(dialogId);
  if (page.empty())
    return false;
  std::ofstream file(path, std::ios::binary);
  file << page;
  return static_cast<bool>(file);
}

} // namespace sim
