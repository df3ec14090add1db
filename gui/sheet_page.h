// The common base of the sheet's pages. A page learns about the world only through the
// page events that its sheet broadcasts; it exists and receives them from the moment the
// sheet is shown, whether or not its tab was ever selected.
#pragma once

#include <QWidget>
#include <cstdint>

namespace vexal {

class CMainSheet;

class CSheetPage : public QWidget {
    Q_OBJECT

public:
    // The template id decides the layout and gives the tab title.
    explicit CSheetPage(int templateId);
    ~CSheetPage() override;

    int TemplateId() const { return templateId_; }
    QString Title() const;
    bool IsLargeLayout() const;
    bool IsConnected() const { return connected != 0; }
    CMainSheet* Sheet() const { return sheet; }

    // Called by the sheet for every page when it is first shown. The base delivers page
    // event 2 to this page, so every page starts disconnected. Pages extend it.
    virtual bool OnInitDialog();
    // The page becomes the visible page, or stops being it. A page may refuse to be left by
    // returning false from OnKillActive.
    virtual bool OnSetActive() { return true; }
    virtual bool OnKillActive() { return true; }
    // Every page overrides this and calls the base version first.
    virtual void OnPageEvent(int32_t code, int32_t a, int32_t b);

protected:
    int connected = 0;
    CMainSheet* sheet = nullptr;

private:
    friend class CMainSheet;
    int templateId_;
};

}  // namespace vexal
