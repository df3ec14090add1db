// What the small dialogs share: the soft input panel that follows the focus of their
// edits, and the OK and Cancel buttons that a touch user needs to confirm or dismiss.
#pragma once

#include <QObject>

class QBoxLayout;
class QDialog;
class QWidget;

namespace vexal {

// Shows the soft input panel while `edit` has the focus and hides it when the focus leaves.
void FollowFocusWithSoftInput(QWidget* edit);

// Adds OK and Cancel under the dialog's controls, running its accept() and reject().
void AddOkCancelButtons(QDialog* dialog, QBoxLayout* layout);

// Margins and spacing of a dialog in the small or the large layout.
void ApplyDialogLayout(QDialog* dialog, QBoxLayout* layout, bool largeLayout);

}  // namespace vexal
