// Everything the program asks or tells the user outside its pages: message boxes, file
// dialogs and the wait cursor. The application owns one; tests put a scripted one in.
#pragma once

#include <QString>
#include <memory>

namespace vexal {

// The answers to a question about unsaved work.
enum class SaveAnswer { kSave, kDiscard, kCancel };

class CUserPrompts {
public:
    virtual ~CUserPrompts() = default;

    // A message with an OK button and no icon.
    virtual void ShowMessage(const QString& text) = 0;
    // A question with Yes and No buttons and the question icon; true for Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    // A warning with "Save", "Discard" and "Cancel"; Escape and the close box cancel.
    virtual SaveAnswer AskSaveDiscardCancel(const QString& text) = 0;
    // The file chosen in an open dialog (the file must exist) or a save dialog (asking
    // before an existing file is replaced); empty when the dialog was cancelled. `filter`
    // is in Qt's form, "WinLC files (*.wld);;All files (*)".
    virtual QString ChooseFileToOpen(const QString& defaultSuffix, const QString& filter) = 0;
    virtual QString ChooseFileToSave(const QString& defaultSuffix, const QString& filter) = 0;
    // Calls nest: the wait cursor shows until every begin has its end.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

// The prompts of the running program, on Qt's standard dialogs.
std::unique_ptr<CUserPrompts> MakeQtPrompts();

// Shows the wait cursor for as long as it lives.
class CWaitCursor {
public:
    explicit CWaitCursor(CUserPrompts& prompts) : prompts_(prompts) { prompts_.BeginWaitCursor(); }
    ~CWaitCursor() { prompts_.EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    CUserPrompts& prompts_;
};

}  // namespace vexal
