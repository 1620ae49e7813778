// Looks at the dialog the way a person sees it: the simulated host's widget tree below a widget,
// the list box's items with their selection, the read-only name fields.
#pragma once

#include "SimWidgets.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace session {

// Finds widgets below root (root included) in tree order.
inline void collect(const sim::Host& host, int root, const std::string& type,
                    std::vector<sim::Widget>& found) {
  std::optional<sim::Widget> widget = host.findWidget(root);
  if (!widget || !widget->alive)
    return;
  if (type.empty() || widget->type == type)
    found.push_back(*widget);
  for (int child : widget->children)
    collect(host, child, type, found);
}

inline std::vector<sim::Widget> widgetsOfType(const sim::Host& host, int root,
                                              const std::string& type) {
  std::vector<sim::Widget> found;
  collect(host, root, type, found);
  return found;
}

inline sim::Widget widgetWithText(const sim::Host& host, int root, const std::string& type,
                                  const std::string& text) {
  for (const sim::Widget& widget : widgetsOfType(host, root, type))
    if (widget.text == text)
      return widget;
  ADD_FAILURE() << "no " << type << " \"" << text << "\"";
  return sim::Widget();
}

// The list box's items as "text" or "[text]" when selected.
inline std::vector<std::string> listItems(const sim::Host& host, int dialog) {
  std::vector<std::string> items;
  std::vector<sim::Widget> lists = widgetsOfType(host, dialog, "listbox");
  if (lists.size() != 1) {
    ADD_FAILURE() << lists.size() << " list boxes";
    return items;
  }
  for (const sim::WidgetItem& item : lists[0].items)
    items.push_back(item.selected ? "[" + item.text + "]" : item.text);
  return items;
}

// The read-only edits' texts (Source, Destination).
inline std::vector<std::u16string> nameFields(const sim::Host& host, int dialog) {
  std::vector<std::u16string> texts;
  for (const sim::Widget& edit : widgetsOfType(host, dialog, "edit"))
    if (edit.readOnly)
      texts.push_back(edit.text16);
  return texts;
}

} // namespace session
