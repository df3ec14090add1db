#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "dialog_support.h"
#include "user_prompts.h"

namespace vexal {
namespace {

// The title of every message box, as the program's own name.
const QString kMessageTitle = QStringLiteral("VexalCE");

class CQtPrompts : public CUserPrompts {
public:
    void ShowMessage(const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, kMessageTitle, text, QMessageBox::Ok,
                        QApplication::activeWindow());
        WidenMessageBox(&box, box.parentWidget());
        box.exec();
    }

    bool AskYesNo(const QString& text) override {
        QMessageBox box(QMessageBox::Question, kMessageTitle, text,
                        QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
        WidenMessageBox(&box, box.parentWidget());
        return box.exec() == QMessageBox::Yes;
    }

    SaveAnswer AskSaveDiscardCancel(const QString& text) override {
        QMessageBox box(QMessageBox::Warning, kMessageTitle, text,
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                        QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Save);
        switch (box.exec()) {
            case QMessageBox::Save:
                return SaveAnswer::kSave;
            case QMessageBox::Discard:
                return SaveAnswer::kDiscard;
            default:
                return SaveAnswer::kCancel;
        }
    }

    QString ChooseFileToOpen(const QString& defaultSuffix, const QString& filter) override {
        QFileDialog dialog(QApplication::activeWindow());
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return RunFileDialog(dialog, defaultSuffix, filter);
    }

    QString ChooseFileToSave(const QString& defaultSuffix, const QString& filter) override {
        QFileDialog dialog(QApplication::activeWindow());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        return RunFileDialog(dialog, defaultSuffix, filter);
    }

    void BeginWaitCursor() override { QApplication::setOverrideCursor(Qt::WaitCursor); }
    void EndWaitCursor() override { QApplication::restoreOverrideCursor(); }

private:
    static QString RunFileDialog(QFileDialog& dialog, const QString& defaultSuffix,
                                 const QString& filter) {
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setNameFilter(filter);
        PrepareFileDialog(&dialog, dialog.parentWidget());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }
};

}  // namespace

std::unique_ptr<CUserPrompts> MakeQtPrompts() {
    return std::make_unique<CQtPrompts>();
}

}  // namespace vexal
