// What the GUI tests share: a profile folder of their own, the scripted prompts, a page
// that writes down the events it receives, and a settled event loop.
#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sheet_page.h"
#include "temp_dir.h"
#include "user_prompts.h"

namespace vexal::testing {

// Points the application profile at a fresh folder for as long as it lives.
class ProfileDir {
public:
    ProfileDir() {
        const QString path = QString::fromStdString(dir_.Path().string());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    }

    // A folder for other files of the test.
    std::string Path() const { return dir_.Path().string(); }

    void Store(const QString& name, const QVariant& value) const {
        QSettings profile(QStringLiteral("Norrik"), QStringLiteral("VexalCE"));
        profile.setValue(name, value);
        profile.sync();
    }

    QVariant Stored(const QString& name) const {
        const QSettings profile(QStringLiteral("Norrik"), QStringLiteral("VexalCE"));
        return profile.value(name);
    }

private:
    TempDir dir_;
};

// Records every text shown and answers every question from its script.
class CScriptedPrompts : public CUserPrompts {
public:
    struct Record {
        QStringList messages;
        QStringList questions;
        std::deque<bool> answers;       // none left: No
        std::deque<QString> fileNames;  // none left: cancelled
        int waitCursorDepth = 0;
    };

    explicit CScriptedPrompts(Record* record) : record_(record) {}

    void ShowMessage(const QString& text) override { record_->messages.append(text); }
    bool AskYesNo(const QString& text) override {
        record_->questions.append(text);
        return Take(record_->answers, false);
    }
    QString ChooseFileToOpen(const QString&, const QString&) override {
        return Take(record_->fileNames, QString());
    }
    QString ChooseFileToSave(const QString&, const QString&) override {
        return Take(record_->fileNames, QString());
    }
    void BeginWaitCursor() override { ++record_->waitCursorDepth; }
    void EndWaitCursor() override { --record_->waitCursorDepth; }

private:
    template <typename T>
    static T Take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T next = queue.front();
        queue.pop_front();
        return next;
    }

    Record* record_;
};

// A page that writes "name:code" (and ":a" when a is set) for every event it receives.
class CRecordingPage : public CSheetPage {
public:
    CRecordingPage(std::vector<std::string>* journal, std::string name, int templateId = 120)
        : CSheetPage(templateId), journal_(journal), name_(std::move(name)) {}

    void OnPageEvent(int32_t code, int32_t a, int32_t b) override {
        CSheetPage::OnPageEvent(code, a, b);
        std::string entry = name_ + ":" + std::to_string(code);
        if (a != 0) entry += ":" + std::to_string(static_cast<uint32_t>(a));
        journal_->push_back(entry);
        if (onEvent) onEvent(code);
    }
    bool OnSetActive() override {
        journal_->push_back(name_ + ":active");
        return true;
    }
    bool OnKillActive() override {
        journal_->push_back(name_ + ":leave");
        return mayLeave;
    }

    std::function<void(int32_t code)> onEvent;
    bool mayLeave = true;

private:
    std::vector<std::string>* journal_;
    std::string name_;
};

}  // namespace vexal::testing
