// Windows: the host's main window (adopted, never deleted) and dialogs (created, attached to their
// owner window, run modally). A window makes controls through its creation operations and owns
// them: destroying it deletes its controls first, then the window itself when it owns it.
// Also the information message box. Relies on the widget wrappers (MQWidget.h).
#pragma once

#include "widgets/MQWidget.h"

#include <set>
#include <string>

class MQWindowBase : public MQWidgetBase {
public:
  ~MQWindowBase() override;

  // Each makes the control, keeps it in createdWidgets, sends its one property write and, when
  // a parent is given, adds it to the parent.
  MQFrame* MakeHorzFrame(MQWidgetBase* parent);
  MQFrame* MakeVertFrame(MQWidgetBase* parent);
  MQButton* MakeButton(MQWidgetBase* parent, const std::u16string& text);
  MQCheckBox* MakeCheckBox(MQWidgetBase* parent, const std::u16string& text);
  MQListBox* MakeListBox(MQWidgetBase* parent);
  MQLabel* MakeLabel(MQWidgetBase* parent, const std::u16string& text);
  MQEdit* MakeEdit(MQWidgetBase* parent, const std::u16string& text);

  const std::set<MQWidgetBase*>& CreatedWidgets() const { return createdWidgets; }

protected:
  explicit MQWindowBase(int existingId) : MQWidgetBase(existingId) {}

  std::set<MQWidgetBase*> createdWidgets;

private:
  template <typename W, typename Configure> W* Make(MQWidgetBase* parent, Configure configure);
};

// The host's main window; destroying the wrapper leaves the host's window alone.
class MQWindow : public MQWindowBase {
public:
  MQWindow();
};

class MQDialog : public MQWindowBase {
public:
  explicit MQDialog(MQWindowBase& owner);

  // Runs the dialog modally; the host calls the handlers meanwhile. Answers the modal result
  // (the "modalresult" of the button that closed it; 0 when the host gives none).
  int RunModal();
};

// An information message box belonging to a window; returns when the user has closed it.
void ShowInformationMessage(const MQWindowBase& parent, const std::u16string& message,
                            const std::u16string& title);
