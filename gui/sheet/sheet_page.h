// The common base of the sheet's pages. A page learns about the world only through the
// page events that its sheet broadcasts; it exists and receives them from the moment the
// sheet is shown, whether or not its tab was ever selected. The sheet owns its pages.
#pragma once

#include <QWidget>
#include <cstdint>

#include "page_context.h"
#include "page_events.h"

namespace vexal {

class CSheetPage : public QWidget {
    Q_OBJECT

public:
    // The template id decides the layout and gives the tab title.
    CSheetPage(const PageContext& context, int templateId);

    int TemplateId() const { return templateId_; }
    QString Title() const;
    bool IsLargeLayout() const;
    bool IsConnected() const { return connected != 0; }

    // The sheet's entry for every event: events 1 and 2 set and clear `connected`, then
    // the page's own handling runs.
    void DeliverPageEvent(PageEvent code, uint32_t a, uint32_t b);
    // Called by the sheet for every page when it is first shown: the page starts
    // disconnected (event 2), then initialises itself.
    void InitialisePage();

    // The page becomes the visible page, or stops being it. A page may refuse to be left by
    // returning false from OnKillActive.
    virtual bool OnSetActive() { return true; }
    virtual bool OnKillActive() { return true; }

protected:
    // The page's own handling of an event, after the base handling.
    virtual void OnPageEvent(PageEvent code, uint32_t a, uint32_t b);
    // The page's own initialisation, after it received event 2.
    virtual void OnInitDialog() {}

    CMainApp& App() const { return context_.app; }
    BlockStore& Project() const { return context_.project; }
    CUserPrompts& Prompts() const { return context_.prompts; }
    const CSheetImages& Images() const { return context_.images; }
    const PageContext& Context() const { return context_; }

    int connected = 0;

private:
    PageContext context_;
    int templateId_;
};

}  // namespace vexal
