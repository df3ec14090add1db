// The main property sheet: a tabbed dialog of at most ten pages that gives them a shared
// image list, a 100 ms tick and the page-event broadcast.
#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>

#include "page_events.h"
#include "sheet_images.h"

class QLabel;
class QTabWidget;

namespace vexal {

class CSheetPage;

class CMainSheet : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxPages = 10;
    static constexpr int kTickTimerId = 123;
    static constexpr int kTickPeriodMs = 100;

    CMainSheet(const QString& caption, QWidget* parent, int firstPage);
    // The pages are deleted with the sheet, after the last event reached them.
    ~CMainSheet() override;

    // Adds the page as the next tab and takes it over; an eleventh page is deleted at once.
    void AddSheetPage(CSheetPage* page);
    // Delivers the event to every page in the order they were added, synchronously. A page
    // may raise another event from its handler; that one reaches all pages before this
    // broadcast goes on.
    void BroadcastPageEvent(PageEvent code, uint32_t a, uint32_t b);
    // The timer handler: id 123 broadcasts the tick.
    void OnTimer(int timerId);

    int PageCount() const { return pageCount_; }
    CSheetPage* Page(int index) const;
    CSheetPage* ActivePage() const;
    const CSheetImages& SheetImages() const { return sheetImages_; }
    // True once the first show initialised the sheet and its pages.
    bool IsInitialised() const { return initialised_; }
    // Asked before the user closes the sheet (Escape, the window's close box); false keeps
    // it open. A close the program makes itself (closing all windows) does not ask.
    void SetCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    void reject() override;
    // The line under the pages that names the connected controller, whatever page shows.
    void ShowConnection(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool OnInitDialog();
    bool BuildSheetImages();
    void InitialisePages();
    void OnTabChanged(int index);

    std::array<CSheetPage*, kMaxPages> pages_{};
    int pageCount_ = 0;
    CSheetImages sheetImages_;

    QTabWidget* tabs_;
    QLabel* connectionLine_;
    QTimer tick_;
    int firstPage_;
    int activeIndex_ = -1;
    bool initialised_ = false;
    bool revertingTab_ = false;
    std::function<bool()> closeGuard_;
    bool closingUnasked_ = false;
};

}  // namespace vexal
