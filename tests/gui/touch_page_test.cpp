// VexalCE by finger and by screen reader: on every page and dialog of both layouts each
// control is large enough to touch, no caption is cut and every window lies on the screen;
// the accessibility actions do what a tap does.
#include <QAccessible>
#include <QDateEdit>
#include <QInputMethod>
#include <QScreen>
#include <QStyleOption>
#include <QTreeWidget>

#include "nets_dlg.h"
#include "page_session.h"
#include "page_templates.h"
#include "password_dlg.h"
#include "station_ip_dlg.h"

namespace vexal {
namespace {

// The spin box steps, or the calendar arrow of a date picker, too small for a finger.
bool StepsTooSmall(const QAbstractSpinBox* picker, int target) {
    QStyleOptionSpinBox option;  // its complex part is all the combo box arrow needs
    option.initFrom(picker);
    option.subControls = QStyle::SC_All;
    auto* date = qobject_cast<const QDateTimeEdit*>(picker);
    const bool popup = date != nullptr && date->calendarPopup();
    for (const auto step : {QStyle::SC_SpinBoxUp, QStyle::SC_SpinBoxDown}) {
        const QRect rect = picker->style()->subControlRect(
            popup ? QStyle::CC_ComboBox : QStyle::CC_SpinBox, &option,
            popup ? QStyle::SC_ComboBoxArrow : step, picker);
        if (rect.width() < target || rect.height() < target) return true;
    }
    return false;
}

// What on `window` is too small for a finger, shows a cut caption, or lies off `screen`.
QStringList TouchFaults(const QWidget* window, const QRect& screen, int target) {
    QStringList faults;
    if (window->isWindow() && !screen.contains(window->frameGeometry())) faults << "off screen";
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window) || qobject_cast<QAbstractSpinBox*>(control->parent()))
            continue;
        const auto* button = qobject_cast<const QPushButton*>(control);
        const auto* picker = qobject_cast<const QAbstractSpinBox*>(control);
        if (((button || picker || qobject_cast<const QLineEdit*>(control) ||
              qobject_cast<const QComboBox*>(control)) && control->height() < target) ||
            (button && button->fontMetrics().horizontalAdvance(button->text()) > button->width()) ||
            (picker && StepsTooSmall(picker, target)))
            faults << control->objectName() + ' ' + control->metaObject()->className();
    }
    return faults;
}

class TouchPageTest : public testing::PageSession {
protected:
    void ExpectTouchable(QWidget* window) {
        const bool large = layoutTag.find("800") != std::string::npos;
        EXPECT_EQ(TouchFaults(window, app->Sheet()->frameGeometry(), large ? 40 : 32), QStringList())
            << window->metaObject()->className() << layoutTag;
    }
    // Under a real display (xvfb-run, QT_IM_MODULE=qtvirtualkeyboard) the panel shown for
    // each edit leaves it, the buttons and the dialog in sight; VEXAL_SCREENSHOTS names a
    // folder for the screens.
    void ExpectEditsClearOfPanel(QDialog* dialog) {
        if (QGuiApplication::platformName() != "xcb") return;
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            if (!edit->isVisible() || !edit->isEnabled() || edit->isReadOnly()) continue;
            dialog->activateWindow();
            edit->setFocus();
            const QRect panel = ShownPanel();
            ASSERT_FALSE(panel.isEmpty()) << "no on-screen keyboard" << layoutTag;
            for (const QWidget* control : dialog->findChildren<QWidget*>()) {
                const bool inReach = control == edit || qobject_cast<const QPushButton*>(control);
                EXPECT_FALSE(inReach && control->isVisible() &&
                             panel.intersects(QRect(control->mapToGlobal(QPoint()), control->size())))
                    << control->objectName().toStdString() << layoutTag;
            }
            ExpectTouchable(dialog);
            const QString folder = qEnvironmentVariable("VEXAL_SCREENSHOTS");
            if (!folder.isEmpty())
                dialog->screen()->grabWindow(0).save(
                    QString("%1/%2-%3-%4.png")
                        .arg(folder, dialog->objectName(),
                             QString::fromStdString(layoutTag).remove(QRegularExpression("[ ()]")),
                             edit->objectName()));
        }
    }
    static QRect ShownPanel() {
        QInputMethod* panel = QGuiApplication::inputMethod();
        (void)QTest::qWaitFor([panel] { return !panel->keyboardRectangle().isEmpty(); }, 3000);
        QTest::qWait(300);  // the panel's window shows and draws its keys
        return panel->isVisible() ? panel->keyboardRectangle().toAlignedRect() : QRect();
    }
    static QAccessibleInterface* Accessible(QWidget* control) {
        return QAccessible::queryAccessibleInterface(control);
    }
};

TEST_F(TouchPageTest, EveryPageAndDialogIsTouchableAndWholeOnTheScreenOfEachLayout) {
    const auto checkAndClose = [this](QDialog* dialog) {
        dialog->show();
        QCoreApplication::processEvents();
        ExpectTouchable(dialog);
        ExpectEditsClearOfPanel(dialog);
        dialog->reject();
    };
    for (const bool large : {true, false}) {  // under X, the layout chosen for the screen
        if (QGuiApplication::platformName() == "xcb" &&
            large != UseLargeLayouts(QGuiApplication::primaryScreen()->size().width()))
            continue;
        if (app) app->ShutDown();
        StartConnected({}, large);
        for (int index = 0; index < Tabs()->count(); ++index) {
            Tabs()->setCurrentIndex(index);
            QCoreApplication::processEvents();
            ExpectTouchable(Tabs()->currentWidget());
        }
        checkAndClose(std::make_unique<CPasswordDlg>(large, app->Sheet()).get());
        checkAndClose(std::make_unique<CStationIpDlg>(large, app->Sheet()).get());
        checkAndClose(std::make_unique<CNetsDlg>(app->Networks().State(), large, app->Sheet()).get());
        ShowPage("variablesPage");
        WhenDialogShows([&checkAndClose](QDialog* dialog) {  // with its value edit enabled
            dialog->findChild<QLineEdit*>("addressEdit")->setText("MW 10");
            QTest::mouseClick(dialog->findChild<QPushButton*>("checkButton"), Qt::LeftButton);
            checkAndClose(dialog);
        });
        QTest::keyClick(Find<QWidget>("variableList"), Qt::Key_Insert);

        const std::unique_ptr<CUserPrompts> qtPrompts = MakeQtPrompts();
        WhenDialogShows(checkAndClose);
        qtPrompts->ShowMessage("error writing variable table");
        WhenDialogShows(checkAndClose);
        EXPECT_EQ(qtPrompts->ChooseFileToSave("csv", "Text files (*.csv);;All files (*)"), "");
    }
}

TEST_F(TouchPageTest, AccessibilityActionsDoWhatATapDoesAndValuesAreReadOut) {
    StartApp();
    auto* opt = Find<QPushButton>("optionsButton");
    for (const bool accept : {false, true}) {  // the password dialog comes as for a tap
        WhenDialogShows([accept](QDialog* dialog) { accept ? dialog->accept() : dialog->reject(); });
        Accessible(opt)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCoreApplication::processEvents();
        EXPECT_EQ(opt->isChecked(), accept);
    }

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
    auto* picker = Find<QDateTimeEdit>("timePicker");
    const QTime shown = picker->time();
    const bool up = shown.hour() < 12;  // the hours do not wrap around
    Accessible(picker)->actionInterface()->doAction(up ? QAccessibleActionInterface::increaseAction()
                                                       : QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(shown.secsTo(picker->time()), up ? 3600 : -3600);
    EXPECT_TRUE(Find<QPushButton>("applyButton")->isEnabled());
}

}  // namespace
}  // namespace vexal
