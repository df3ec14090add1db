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
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace vexal {
namespace {

// Shows the panel while the edit has the focus; while the panel would cover the edit, its
// window moves up so that the edit stays just above the panel, and back when it goes.
class CSoftInputFollower : public QObject {
public:
    explicit CSoftInputFollower(QWidget* edit) : QObject(edit), edit_(edit) {
        edit->installEventFilter(this);
        connect(QGuiApplication::inputMethod(), &QInputMethod::keyboardRectangleChanged, this,
                &CSoftInputFollower::KeepEditInSight);
        connect(QGuiApplication::inputMethod(), &QInputMethod::visibleChanged, this,
                &CSoftInputFollower::KeepEditInSight);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) QGuiApplication::inputMethod()->show();
        if (event->type() == QEvent::FocusOut) QGuiApplication::inputMethod()->hide();
        return QObject::eventFilter(watched, event);
    }

private:
    void KeepEditInSight() {
        QWidget* window = edit_->window();
        const QInputMethod* panel = QGuiApplication::inputMethod();
        const QRect covered = panel->keyboardRectangle().toAlignedRect();
        if (!panel->isVisible() || covered.isEmpty() || !edit_->hasFocus()) {
            if (raised_) window->move(home_);
            raised_ = false;
            return;
        }
        constexpr int kGap = 4;
        const int overlap = edit_->mapToGlobal(QPoint(0, edit_->height())).y() + kGap - covered.top();
        if (overlap <= 0) return;
        if (!raised_) home_ = window->pos();
        raised_ = true;
        window->move(window->pos() - QPoint(0, overlap));
    }

    QWidget* edit_;
    QPoint home_;
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
        if (event->type() == QEvent::Show) Place(static_cast<QWidget*>(watched));
        return QObject::eventFilter(watched, event);
    }

private:
    void Place(QWidget* window) const {
        if (fill_) {
            const QMargins frame(window->geometry().left() - window->frameGeometry().left(),
                                 window->geometry().top() - window->frameGeometry().top(),
                                 window->frameGeometry().right() - window->geometry().right(),
                                 window->frameGeometry().bottom() - window->geometry().bottom());
            window->setGeometry(area_.marginsRemoved(frame));
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
    new CSoftInputFollower(edit);
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
