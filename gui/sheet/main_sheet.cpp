#include "main_sheet.h"

#include <QCloseEvent>
#include <QLabel>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "sheet_page.h"

namespace vexal {

CMainSheet::CMainSheet(const QString& caption, QWidget* parent, int firstPage)
    : QDialog(parent),
      tabs_(new QTabWidget(this)),
      connectionLine_(new QLabel(this)),
      firstPage_(firstPage) {
    setObjectName(QStringLiteral("mainSheet"));
    setWindowTitle(caption);
    tabs_->setObjectName(QStringLiteral("sheetTabs"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs_, 1);
    connectionLine_->setObjectName(QStringLiteral("connectionLine"));
    connectionLine_->setAccessibleName(tr("Connection"));
    connectionLine_->setContentsMargins(4, 0, 4, 0);
    connectionLine_->setWordWrap(true);
    layout->addWidget(connectionLine_);
    ShowConnection({});
    tick_.setInterval(kTickPeriodMs);
    connect(&tick_, &QTimer::timeout, this, [this] { OnTimer(kTickTimerId); });
    connect(tabs_, &QTabWidget::currentChanged, this, &CMainSheet::OnTabChanged);
}

// The tab widget holds the pages: it goes while the sheet is still whole, so that no tab
// change reaches a sheet half destroyed.
CMainSheet::~CMainSheet() {
    tick_.stop();
    pageCount_ = 0;
    disconnect(tabs_, nullptr, this, nullptr);
    delete tabs_;
}

void CMainSheet::AddSheetPage(CSheetPage* page) {
    if (page == nullptr) return;
    if (pageCount_ == kMaxPages) {
        delete page;
        return;
    }
    pages_[static_cast<size_t>(pageCount_++)] = page;
    tabs_->addTab(page, page->Title());
}

void CMainSheet::BroadcastPageEvent(PageEvent code, uint32_t a, uint32_t b) {
    for (int index = 0; index < pageCount_; ++index) {
        pages_[static_cast<size_t>(index)]->DeliverPageEvent(code, a, b);
    }
}

void CMainSheet::OnTimer(int timerId) {
    if (timerId == kTickTimerId) BroadcastPageEvent(kPageTick, 0, 0);
}

CSheetPage* CMainSheet::Page(int index) const {
    if (index < 0 || index >= pageCount_) return nullptr;
    return pages_[static_cast<size_t>(index)];
}

CSheetPage* CMainSheet::ActivePage() const {
    return Page(tabs_->currentIndex());
}

void CMainSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (!initialised_) {
        initialised_ = OnInitDialog();
    } else {
        tick_.start();
    }
}

void CMainSheet::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) tick_.stop();
}

// Empty: not connected.
void CMainSheet::ShowConnection(const QString& text) {
    connectionLine_->setText(text.isEmpty() ? tr("Not connected") : tr("Connected: %1").arg(text));
}

void CMainSheet::reject() {
    if (!closingUnasked_ && closeGuard_ && !closeGuard_()) return;
    QDialog::reject();
}

// The close box sends a spontaneous event; the program's own close does not.
void CMainSheet::closeEvent(QCloseEvent* event) {
    closingUnasked_ = !event->spontaneous();
    QDialog::closeEvent(event);
    closingUnasked_ = false;
}

// Without its images the sheet stays as it is: no page initialisation and no tick.
bool CMainSheet::OnInitDialog() {
    if (!BuildSheetImages()) return false;
    InitialisePages();
    tick_.start();
    return true;
}

bool CMainSheet::BuildSheetImages() {
    sheetImages_.Clear();
    if (sheetImages_.AddStrip(SheetBitmapPath(250)) && sheetImages_.AddStrip(SheetBitmapPath(251))) {
        return true;
    }
    sheetImages_.Clear();
    return false;
}

void CMainSheet::InitialisePages() {
    if (firstPage_ >= 0 && firstPage_ < pageCount_) tabs_->setCurrentIndex(firstPage_);
    for (int index = 0; index < pageCount_; ++index) {
        pages_[static_cast<size_t>(index)]->InitialisePage();
    }
    activeIndex_ = tabs_->currentIndex();
    if (CSheetPage* active = Page(activeIndex_)) active->Activate();
}

// Tab changes count only while the initialised sheet is on screen: adding pages before the
// run and deleting them after it moves the current tab too.
void CMainSheet::OnTabChanged(int index) {
    if (!initialised_ || revertingTab_ || !isVisible()) return;
    if (CSheetPage* leaving = Page(activeIndex_); leaving != nullptr && !leaving->Deactivate()) {
        revertingTab_ = true;
        tabs_->setCurrentIndex(activeIndex_);
        revertingTab_ = false;
        return;
    }
    activeIndex_ = index;
    if (CSheetPage* entering = Page(index)) entering->Activate();
}

}  // namespace vexal
