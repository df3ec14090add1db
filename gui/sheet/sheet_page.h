// The common base of the sheet's pages. A page learns about the world only through the
// page events that its sheet broadcasts; it exists and receives them from the moment the
// sheet is shown, whether or not its tab was ever selected. The sheet owns its pages.
#pragma once

#include <QWidget>
#include <cstdint>

#include "page_context.h"
#include "page_events.h"

namespace vexal {

// Paces one kind of a page's work on the sheet's 100 ms tick: the work is due every `period`
// ticks (with a period of 0 only once after each RunOnNextTick) and on the next tick when
// asked. A pace starts with nothing due.
class CTickPace {
public:
    // What a due tick leaves for later when the page is not ready for the work.
    enum WhenNotReady {
        kNextPeriod,  // the next period counts on as if the work had run
        kStop,        // nothing is due until RunOnNextTick
        kWait,        // the work stays due until a tick finds the page ready
    };

    // The period of work done once after each RunOnNextTick.
    static constexpr int kOnce = 0;

    CTickPace(int period, WhenNotReady whenNotReady)
        : period_(period), whenNotReady_(whenNotReady) {}

    void RunOnNextTick() { remaining_ = 1; }
    void Stop() { remaining_ = 0; }
    // Counts one tick; true when the work is due on it and the page is `ready` for it.
    bool Tick(bool ready);

private:
    int period_;
    WhenNotReady whenNotReady_;
    int remaining_ = 0;  // ticks until the work is due; 0 when nothing is due
};

class CSheetPage : public QWidget {
    Q_OBJECT

public:
    // The template id decides the layout and gives the tab title.
    CSheetPage(const PageContext& context, int templateId);

    int TemplateId() const { return templateId_; }
    QString Title() const;
    bool IsLargeLayout() const;
    bool IsConnected() const { return connected; }
    // Between the sheet's Activate and a Deactivate that the page allowed.
    bool IsActive() const { return active_; }

    // The sheet's entry for every event: events 1 and 2 set and clear `connected`, then
    // the page's own handling runs.
    void DeliverPageEvent(PageEvent code, uint32_t a, uint32_t b);
    // Called by the sheet for every page when it is first shown: the page starts
    // disconnected (event 2), then initialises itself.
    void InitialisePage();

    // The sheet's entries when the page becomes the visible page or stops being it; false
    // when the page refuses to be left.
    void Activate();
    bool Deactivate();

protected:
    // The page's own handling of its activation, and whether it may be left.
    virtual bool OnSetActive() { return true; }
    virtual bool OnKillActive() { return true; }

    // The page's own handling of an event, after the base handling.
    virtual void OnPageEvent(PageEvent code, uint32_t a, uint32_t b);
    // The page's own initialisation, after it received event 2.
    virtual void OnInitDialog() {}

    CMainApp& App() const { return context_.app; }
    BlockStore& Project() const { return context_.project; }
    CUserPrompts& Prompts() const { return context_.prompts; }
    const CSheetImages& Images() const { return context_.images; }
    const PageContext& Context() const { return context_; }

    bool connected = false;

private:
    PageContext context_;
    int templateId_;
    bool active_ = false;
};

}  // namespace vexal
