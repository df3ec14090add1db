// VexalCE by finger and by screen reader: on every page and dialog of both layouts each
// control is large enough to touch, no caption is cut and every window lies on the screen;
// the accessibility actions do what a tap does.
#include <QAccessible>
#include <QDateEdit>
#include <QFileDialog>
#include <QMessageBox>
#include <QStyleOption>
#include <QTabBar>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeWidget>

#include "nets_dlg.h"
#include "page_session.h"
#include "password_dlg.h"
#include "station_ip_dlg.h"
#include "touch_style.h"

namespace vexal {
namespace {

QStringList& operator<<(QStringList& faults, const QWidget* control) {
    return faults << control->objectName() + ' ' + control->metaObject()->className();
}

// The parts of a spin box or date picker that a finger taps to step it or open it.
std::vector<QRect> StepRects(const QAbstractSpinBox* picker) {
    QStyle* style = picker->style();
    if (auto* date = qobject_cast<const QDateTimeEdit*>(picker); date && date->calendarPopup()) {
        QStyleOptionComboBox option;
        option.initFrom(picker);
        option.subControls = QStyle::SC_All;
        return {style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, picker)};
    }
    QStyleOptionSpinBox option;
    option.initFrom(picker);
    option.buttonSymbols = picker->buttonSymbols();
    option.subControls = QStyle::SC_All;
    return {style->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, picker),
            style->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxDown, picker)};
}

// What on `window` is too small for a finger, shows a cut caption, or lies off `screen`.
QStringList TouchFaults(const QWidget* window, const QRect& screen, int target) {
    QStringList faults;
    if (window->isWindow() && !screen.contains(window->frameGeometry())) faults << window;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window) || qobject_cast<QAbstractSpinBox*>(control->parent()))
            continue;
        const bool touched = qobject_cast<const QAbstractButton*>(control) ||
                             qobject_cast<const QComboBox*>(control) ||
                             qobject_cast<const QLineEdit*>(control) ||
                             qobject_cast<const QAbstractSpinBox*>(control);
        if (touched && control->height() < target) faults << control;
        if (auto* button = qobject_cast<const QPushButton*>(control);
            button && button->fontMetrics().horizontalAdvance(button->text()) > button->width())
            faults << control;
        if (auto* picker = qobject_cast<const QAbstractSpinBox*>(control)) {
            for (const QRect& step : StepRects(picker))
                if (step.width() < target || step.height() < target) faults << control;
        }
    }
    return faults;
}

class TouchPageTest : public testing::PageSession {
protected:
    QRect Screen() const { return app->Sheet()->frameGeometry(); }
    int Target() const { return layoutTag.find("800") != std::string::npos ? 40 : 32; }
    // The current tab whole and clear of the scroll arrows.
    bool CurrentTabInSight() const {
        const QTabBar* bar = Tabs()->tabBar();
        const QRect tab = bar->tabRect(bar->currentIndex());
        if (!bar->rect().contains(tab)) return false;
        for (const QToolButton* arrow : bar->findChildren<QToolButton*>())
            if (arrow->isVisible() && arrow->geometry().intersects(tab)) return false;
        return true;
    }
    void ExpectTouchable(QDialog* dialog) {
        dialog->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(TouchFaults(dialog, Screen(), Target()), QStringList()) << layoutTag;
        dialog->reject();
    }
    // The next message box or file dialog of the Qt prompts, checked and closed.
    void ExpectNextPromptTouchable() {
        WhenDialogShows([this](QDialog* dialog) {
            EXPECT_EQ(TouchFaults(dialog, Screen(), Target()), QStringList())
                << dialog->metaObject()->className() << layoutTag;
            dialog->reject();
        });
    }
    static QAccessibleInterface* Accessible(QWidget* control) {
        return QAccessible::queryAccessibleInterface(control);
    }
};

TEST_F(TouchPageTest, EveryPageAndDialogIsTouchableAndWholeOnTheScreenOfEachLayout) {
    for (const bool large : {true, false}) {
        if (app) app->ShutDown();
        StartConnected({}, large);
        for (int index = 0; index < Tabs()->count(); ++index) {
            Tabs()->setCurrentIndex(index);
            QCoreApplication::processEvents();
            EXPECT_TRUE(CurrentTabInSight()) << index << layoutTag;
            EXPECT_EQ(TouchFaults(Tabs()->currentWidget(), Screen(), Target()), QStringList())
                << Tabs()->tabText(index).toStdString() << layoutTag;
        }
        ExpectTouchable(std::make_unique<CPasswordDlg>(large, app->Sheet()).get());
        ExpectTouchable(std::make_unique<CStationIpDlg>(large, app->Sheet()).get());
        ExpectTouchable(
            std::make_unique<CNetsDlg>(app->Networks().State(), large, app->Sheet()).get());
        ShowPage("variablesPage");
        WhenDialogShows([this](QDialog* dialog) { ExpectTouchable(dialog); });
        QTest::keyClick(Find<QWidget>("variableList"), Qt::Key_Insert);

        app->Sheet()->activateWindow();
        const std::unique_ptr<CUserPrompts> qtPrompts = MakeQtPrompts();
        ExpectNextPromptTouchable();
        qtPrompts->ShowMessage("error writing variable table");
        ExpectNextPromptTouchable();
        EXPECT_EQ(qtPrompts->ChooseFileToSave("csv", "Text files (*.csv);;All files (*)"), "");
    }
}

TEST_F(TouchPageTest, AccessibilityActionsDoWhatATapDoesAndValuesAreReadOut) {
    StartApp();
    auto* opt = Find<QPushButton>("optionsButton");
    WhenDialogShows([](QDialog* dialog) { dialog->reject(); });
    Accessible(opt)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCoreApplication::processEvents();
    EXPECT_FALSE(opt->isChecked()) << "the password dialog was cancelled";
    WhenDialogShows([](QDialog* dialog) { dialog->accept(); });
    Accessible(opt)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(opt->isChecked());

    StartSimulator();
    Connect();
    ShowPage("opModePage");
    TickNow();
    QAccessibleInterface* mode = Accessible(Find<QWidget>("modeText"));
    EXPECT_EQ(mode->text(QAccessible::Name), "RUN");
    const auto labels = mode->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first->text(QAccessible::Name), "Current Operation Mode ");
    EXPECT_EQ(Accessible(Find<QWidget>("keyswitchText"))->text(QAccessible::Name), "RUN-P");

    ASSERT_EQ(app->StopCpu(), 1);
    ShowPage("diagnosticsPage");
    auto* list = Find<QTreeWidget>("diagList");
    ASSERT_GE(list->topLevelItemCount(), 2);
    const QString firstRow = Find<QLabel>("detailLine1")->text();
    Accessible(list)->tableInterface()->selectRow(1);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_NE(Find<QLabel>("detailLine1")->text(), firstRow);

    ShowPage("timePage");
    Tick();
    auto* picker = Find<QTimeEdit>("timePicker");
    const QTime shown = picker->time();
    const bool up = shown.hour() < 12;  // the hours do not wrap around
    Accessible(picker)->actionInterface()->doAction(up ? QAccessibleActionInterface::increaseAction()
                                                       : QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(shown.secsTo(picker->time()), up ? 3600 : -3600);
    EXPECT_TRUE(Find<QPushButton>("applyButton")->isEnabled());
}

}  // namespace
}  // namespace vexal
