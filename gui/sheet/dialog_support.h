// What the small dialogs share: the soft input panel that follows the focus of their
// edits, and the OK and Cancel buttons that a touch user needs to confirm or dismiss.
#pragma once

#include <QObject>

class QBoxLayout;
class QDialog;
class QFileDialog;
class QMessageBox;
class QRect;
class QWidget;

namespace vexal {

// Shows the soft input panel while `edit` has the focus and hides it when the focus leaves
// the edits of its window. While the panel shows, the window moves into the screen above
// the panel, shorter when it does not fit, and back when the panel hides.
void FollowFocusWithSoftInput(QWidget* edit);

// Adds OK and Cancel under the dialog's controls, running its accept() and reject().
void AddOkCancelButtons(QDialog* dialog, QBoxLayout* layout);

// Margins and spacing of a dialog in the small or the large layout.
void ApplyDialogLayout(QDialog* dialog, QBoxLayout* layout, bool largeLayout);

// The part of the screen the program fills: the window that `near` belongs to (the sheet
// fills the screen it was made for), else the primary screen.
QRect ProgramScreenArea(const QWidget* near);

// Qt's own file dialog, filling the program's screen area: on a narrow screen without the
// places column and the view and folder buttons, so that the name field and the buttons
// are on screen and large enough to touch; the name field shows the soft input panel.
void PrepareFileDialog(QFileDialog* dialog, const QWidget* near);

// A message box whose text takes the width of the program's screen area, not a part of it.
void WidenMessageBox(QMessageBox* box, const QWidget* near);

}  // namespace vexal
