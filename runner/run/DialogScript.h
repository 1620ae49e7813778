// The scripted user of the runner: turns the choices given on the command line into a person's
// actions on the options dialog (clicks on captions, typing into the Rate field, picking list
// items), and records what that person saw in the dialog. Relies on the simulated host's
// scripted user and widget tree (SimWidgets.h).
#pragma once

#include "SimWidgets.h"
#include "dialog/DialogOptions.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace runner {

struct DialogChoices {
  bool pickElements = false;         // false: leave the list as the dialog fills it
  std::vector<std::string> elements; // the list items to pick when pickElements
  std::optional<bool> options[dialog::kDialogOptionCount]; // per table entry; unset: as the
                                                           // dialog opens
  std::optional<std::string> rateText;
  bool cancel = false;
  bool wantPicture = false; // keep the dialog's picture as shown just before OK/Cancel
  // Called just before OK is pressed, with the number of items picked (e.g. to show progress).
  std::function<void(size_t picked)> beforeOk;
};

// What the scripted user saw.
struct DialogView {
  bool shown = false;
  std::string sourceName, destinationName;
  std::vector<std::string> listed;              // list items once the filters were set
  std::vector<std::string> picked;              // items selected when OK or Cancel was pressed
  bool states[dialog::kDialogOptionCount] = {}; // per table entry
  std::string rateText;
  std::vector<std::string> notListed; // asked-for elements the list does not hold
  std::string problem;                // the dialog did not do what the user asked
  std::string pictureHtml;
};

// The script for the next modal run. The view is filled while the script plays and must outlive
// the run.
sim::UserScript makeDialogScript(const sim::Host& host, const DialogChoices& choices,
                                 DialogView& view);

} // namespace runner
