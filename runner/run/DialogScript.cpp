#include "DialogScript.h"

#include <algorithm>
#include <stdexcept>

namespace runner {

namespace {

// The dialog's widgets in tree order.
void collect(const sim::Host& host, int id, std::vector<sim::Widget>& out) {
  std::optional<sim::Widget> widget = host.findWidget(id);
  if (!widget || !widget->alive)
    return;
  out.push_back(*widget);
  for (int child : widget->children)
    collect(host, child, out);
}

std::vector<sim::Widget> dialogWidgets(const sim::Host& host, int dialog) {
  std::vector<sim::Widget> widgets;
  collect(host, dialog, widgets);
  return widgets;
}

const sim::Widget* checkBox(const std::vector<sim::Widget>& widgets, const char* caption) {
  for (const sim::Widget& w : widgets)
    if (w.type == "checkbox" && w.text == caption)
      return &w;
  return nullptr;
}

const sim::Widget* listBox(const std::vector<sim::Widget>& widgets) {
  for (const sim::Widget& w : widgets)
    if (w.type == "listbox")
      return &w;
  return nullptr;
}

// The edit that follows a label in the same container, as a person reads a form.
const sim::Widget* editAfter(const std::vector<sim::Widget>& widgets, const char* label) {
  for (const sim::Widget& w : widgets) {
    if (w.type != "label" || w.text != label)
      continue;
    for (const sim::Widget& parent : widgets) {
      auto it = std::find(parent.children.begin(), parent.children.end(), w.id);
      if (it == parent.children.end() || ++it == parent.children.end())
        continue;
      for (const sim::Widget& next : widgets)
        if (next.id == *it && next.type == "edit")
          return &next;
    }
  }
  return nullptr;
}

using dialog::kDialogOptionCount;
using dialog::kDialogOptions;

bool wanted(const DialogChoices& choices, size_t option) {
  return choices.options[option].value_or(kDialogOptions[option].initiallyChecked);
}

bool isListFilter(size_t option) {
  return kDialogOptions[option].kind == dialog::OptionKind::ListFilter;
}

// The names the dialog shows for the Source and the Destination.
void noteNames(const sim::Host* host, sim::UserScript& script, DialogView* seen) {
  script.inspect([host, seen](int dialog) {
    const auto widgets = dialogWidgets(*host, dialog);
    seen->shown = true;
    if (const sim::Widget* edit = editAfter(widgets, dialog::kSourceLabel))
      seen->sourceName = edit->text;
    if (const sim::Widget* edit = editAfter(widgets, dialog::kDestinationLabel))
      seen->destinationName = edit->text;
  });
}

// What the list offers once the filters are set; the run stops when an element asked for is not
// among them.
void noteListed(const sim::Host* host, sim::UserScript& script, const DialogChoices& choices,
                DialogView* seen) {
  const std::vector<std::string> asked = choices.elements;
  const bool pick = choices.pickElements;
  script.inspect([host, seen, asked, pick](int dialog) {
    const auto widgets = dialogWidgets(*host, dialog);
    if (const sim::Widget* list = listBox(widgets))
      for (const sim::WidgetItem& item : list->items)
        seen->listed.push_back(item.text);
    if (!pick)
      return;
    for (const std::string& name : asked)
      if (std::count(seen->listed.begin(), seen->listed.end(), name) == 0)
        seen->notListed.push_back(name);
    if (!seen->notListed.empty())
      throw std::runtime_error("element not listed: " + seen->notListed.front());
  });
}

// The dialog's state just before OK: every box as asked, the picks, the Rate, the picture.
void noteFinalState(const sim::Host* host, sim::UserScript& script, const DialogChoices& choices,
                    DialogView* seen) {
  const DialogChoices kept = choices;
  script.inspect([host, seen, kept](int dialog) {
    const auto widgets = dialogWidgets(*host, dialog);
    for (size_t i : dialog::optionsInSettingsOrder()) {
      const sim::Widget* box = checkBox(widgets, kDialogOptions[i].caption);
      if (!box) {
        seen->problem =
            std::string("the dialog has no check box \"") + kDialogOptions[i].caption + "\"";
        throw std::runtime_error(seen->problem);
      }
      seen->states[i] = box->checked;
      if (box->checked != wanted(kept, i)) {
        seen->problem = std::string("the check box \"") + kDialogOptions[i].caption +
                        "\" did not take the state asked for";
        throw std::runtime_error(seen->problem);
      }
    }
    if (const sim::Widget* list = listBox(widgets))
      for (const sim::WidgetItem& item : list->items)
        if (item.selected)
          seen->picked.push_back(item.text);
    if (const sim::Widget* rate = editAfter(widgets, dialog::kRateLabel))
      seen->rateText = rate->text;
    if (kept.wantPicture)
      seen->pictureHtml = host->dialogPictureHtml(dialog);
    if (!kept.cancel && kept.beforeOk)
      kept.beforeOk(seen->picked.size());
  });
}

// Clicks the boxes of the options (list filters or the others) that are to differ from the
// dialog's initial state.
void setOptions(sim::UserScript& script, const DialogChoices& choices, bool filters) {
  for (size_t i : dialog::optionsInSettingsOrder())
    if (isListFilter(i) == filters && wanted(choices, i) != kDialogOptions[i].initiallyChecked)
      script.clickCheckBox(kDialogOptions[i].caption);
}

} // namespace

sim::UserScript makeDialogScript(const sim::Host& host, const DialogChoices& choices,
                                 DialogView& view) {
  sim::UserScript script;
  noteNames(&host, script, &view);
  // Filters first: changing one refills the list and forgets its selection.
  setOptions(script, choices, true);
  noteListed(&host, script, choices, &view);
  if (choices.pickElements) {
    // Select all, then invert: nothing is picked; then pick the asked-for items one by one.
    script.clickButton(dialog::kSelectAllCaption).clickButton(dialog::kInvertSelectionCaption);
    // A name several items bear picks each of them, as a person would click every one.
    for (const std::string& name : choices.elements)
      script.selectEveryItem(name);
  }
  setOptions(script, choices, false);
  if (choices.rateText)
    script.typeText(dialog::kRateLabel, *choices.rateText);
  noteFinalState(&host, script, choices, &view);
  script.clickButton(choices.cancel ? dialog::kCancelCaption : dialog::kOkCaption);
  return script;
}

} // namespace runner
