#include "dialog_support.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace vexal {
namespace {

// The window manager's frame around `window`.
QMargins FrameMargins(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(),
            outer.right() - inner.right(), outer.bottom() - inner.bottom()};
}

// Shows the soft input panel while one of a window's edits has the focus. While the panel
// shows, the window moves into the part of its screen above the panel, shorter when it
// does not fit there, so that the edit and the buttons stay in reach; a window that cannot
// be made short enough moves up until the edit is just above the panel. It goes back when
// the panel hides.
class CSoftInputFollower : public QObject {
public:
    static void Follow(QWidget* edit) {
        QWidget* window = edit->window();
        CSoftInputFollower* follower = nullptr;
        for (QObject* child : window->children()) {
            if (auto* found = dynamic_cast<CSoftInputFollower*>(child)) follower = found;
        }
        if (follower == nullptr) follower = new CSoftInputFollower(window);
        follower->edits_.append(edit);
        edit->installEventFilter(follower);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) QGuiApplication::inputMethod()->show();
        // Between two edits of the window the panel stays.
        if (event->type() == QEvent::FocusOut && !edits_.contains(QApplication::focusWidget()))
            QGuiApplication::inputMethod()->hide();
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) Place();
        return QObject::eventFilter(watched, event);
    }

private:
    explicit CSoftInputFollower(QWidget* window) : QObject(window), window_(window) {
        connect(QGuiApplication::inputMethod(), &QInputMethod::keyboardRectangleChanged, this,
                &CSoftInputFollower::Place);
        connect(QGuiApplication::inputMethod(), &QInputMethod::visibleChanged, this,
                &CSoftInputFollower::Place);
    }

    // The panel's rectangle on the screen; it docks in the screen's available area.
    QRect Covered() const {
        const QInputMethod* panel = QGuiApplication::inputMethod();
        if (!panel->isVisible()) return {};
        return panel->keyboardRectangle().toAlignedRect().translated(
            window_->screen()->availableGeometry().topLeft());
    }

    void Place() {
        const QRect covered = Covered();
        QWidget* edit = window_->focusWidget();
        if (covered.isEmpty() || !edits_.contains(edit) || !window_->isVisible()) return GoHome();
        if (!raised_) home_ = window_->geometry();
        raised_ = true;
        QRect above = window_->screen()->availableGeometry();
        above.setBottom(covered.top() - 1);
        const QMargins frame = FrameMargins(window_);
        window_->setGeometry(FrameAbove(above, edit, frame).marginsRemoved(frame));
    }

    // The window's frame moved into `above`, shorter when it does not fit; if it cannot be
    // made short enough, moved up further until `edit` is just above the bottom of `above`.
    QRect FrameAbove(const QRect& above, const QWidget* edit, const QMargins& frame) const {
        QRect placed = home_.marginsAdded(frame);
        if (placed.bottom() <= above.bottom()) return placed;
        const int shortest = window_->minimumSizeHint().height() + frame.top() + frame.bottom();
        placed.setHeight(std::max(std::min(placed.height(), above.height()), shortest));
        placed.moveBottom(above.bottom());
        placed.moveTop(std::max(placed.top(), above.top()));
        if (placed.height() <= above.height()) return placed;
        constexpr int kGap = 4;
        const int editBottom = edit->mapTo(window_, QPoint(0, edit->height())).y();
        placed.moveTop(std::min(placed.top(), above.bottom() - kGap - frame.top() - editBottom));
        return placed;
    }

    void GoHome() {
        if (raised_) window_->setGeometry(home_);
        raised_ = false;
    }

    QWidget* window_;
    QList<QWidget*> edits_;
    QRect home_;
    bool raised_ = false;
};

// Shrinks `window` to `area` when it is larger, and moves it inside.
void KeepInside(QWidget* window, const QRect& area) {
    QRect placed = window->frameGeometry();
    const QSize frame = placed.size() - window->size();
    const QSize fitting = window->size().boundedTo(area.size() - frame);
    if (fitting != window->size()) window->resize(fitting);
    placed.setSize(fitting + frame);
    placed.moveLeft(std::clamp(placed.left(), area.left(), area.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), area.top(), area.bottom() + 1 - placed.height()));
    window->move(placed.topLeft());
}

// Places its window inside the program's screen area each time it is shown, after Qt has
// sized and centred it; `fill` makes the window take the whole area.
class CScreenKeeper : public QObject {
public:
    CScreenKeeper(QWidget* window, const QRect& area, bool fill)
        : QObject(window), area_(area), fill_(fill) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return QObject::eventFilter(watched, event);
        auto* window = static_cast<QWidget*>(watched);
        if (fill_) {
            Place(window);
        } else {  // a message box takes its size while it shows, after this filter
            QMetaObject::invokeMethod(
                this, [this, window] { Place(window); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Place(QWidget* window) const {
        if (fill_) {
            window->setGeometry(area_.marginsRemoved(FrameMargins(window)));
        } else {
            QRect placed = window->frameGeometry();
            placed.moveCenter(area_.center());
            window->move(placed.topLeft());
        }
        KeepInside(window, area_);
    }

    QRect area_;
    bool fill_;
};

// The window the program shows: the active one, else the first one visible.
const QWidget* ShownWindow() {
    if (const QWidget* active = QApplication::activeWindow()) return active;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() != Qt::Popup) return window;
    }
    return nullptr;
}

// Narrower screens get the file dialog without its places column and view buttons.
constexpr int kNarrowScreenWidth = 480;
// A message is easy to read in lines of about 60 characters.
constexpr int kReadableTextWidth = 420;

}  // namespace

void FollowFocusWithSoftInput(QWidget* edit) {
    CSoftInputFollower::Follow(edit);
}

void AddOkCancelButtons(QDialog* dialog, QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("dialogButtons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

void ApplyDialogLayout(QDialog* dialog, QBoxLayout* layout, bool largeLayout) {
    const int margin = largeLayout ? 16 : 6;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(largeLayout ? 12 : 6);
    // The small screen is 240 pixels wide; a dialog must fit on it with its frame.
    if (largeLayout) {
        dialog->setMinimumWidth(360);
    } else {
        dialog->setMaximumWidth(232);
    }
}

QRect ProgramScreenArea(const QWidget* near) {
    const QWidget* window = near != nullptr ? near->window() : ShownWindow();
    if (window != nullptr && window->isVisible()) return window->frameGeometry();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 240, 320);
}


void PrepareFileDialog(QFileDialog* dialog, const QWidget* near) {
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setViewMode(QFileDialog::List);
    const QRect area = ProgramScreenArea(near);
    if (area.width() < kNarrowScreenWidth) {
        for (const char* part : {"sidebar", "forwardButton", "newFolderButton", "listModeButton",
                                 "detailModeButton", "lookInLabel", "fileNameLabel",
                                 "fileTypeLabel", "fileTypeCombo"}) {
            if (auto* widget = dialog->findChild<QWidget*>(QString::fromLatin1(part))) widget->hide();
        }
    }
    dialog->setMinimumSize(0, 0);
    new CScreenKeeper(dialog, area, true);
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        FollowFocusWithSoftInput(name);
}

void WidenMessageBox(QMessageBox* box, const QWidget* near) {
    auto* text = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (text == nullptr) return;
    const int margins = 2 * box->style()->pixelMetric(QStyle::PM_LayoutLeftMargin) +
                        (box->icon() != QMessageBox::NoIcon ? 2 * 32 : 0);
    const QRect area = ProgramScreenArea(near);
    const int readable = std::min(area.width() * 4 / 5, kReadableTextWidth);
    text->setMinimumWidth(std::max(0, readable - margins));
    new CScreenKeeper(box, area, false);
}

}  // namespace vexal
