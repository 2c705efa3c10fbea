// The windows on a real X display (Xvfb, see on_screen.sh) at the scale the
// script sets: every control of the main window and the two secondary
// windows, and every button of the Keyboard View, shows whole on the screen
// (scrolled into view where its window scrolls), and a real pointer click on
// "Copy Message Window" (xdotool, at its place on the screen) fills the
// clipboard.
#include "FakeMidiPlatform.h"
#include "WaitFor.h"
#include "res/resource.h"
#include "ui/AotSetupDlg.h"
#include "ui/KeyboardConfigDlg.h"
#include "ui/KeyboardView.h"
#include "ui/Zm_configDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace {

//! Scrolls `control` into view where its window scrolls; true when it then
//! shows whole, inside each parent and on the screen.
bool Reachable(QWidget* control)
{
    QRect shown(QPoint(), control->size());
    for (QWidget* w = control; !w->isWindow(); w = w->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(w->parentWidget()->parentWidget())) {
            const QPoint centre = control->mapTo(area->widget(), control->rect().center());
            area->ensureVisible(centre.x(), centre.y(), control->width() / 2 + 1, control->height() / 2 + 1);
        }
        shown.translate(w->pos());
        if (!w->parentWidget()->rect().contains(shown))
            return false;
    }
    return control->screen()->geometry().contains(QRect(control->mapToGlobal(QPoint()), control->size()));
}

void ClickOnScreen(QWidget* control)
{
    ASSERT_TRUE(Reachable(control));
    QTest::qWait(200);   // drawn where it now is
    const QPoint centre = control->mapToGlobal(control->rect().center()) * control->devicePixelRatioF();
    ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(centre.x()),
                                            QString::number(centre.y()), "click", "1"}), 0);
    QTest::qWait(300);   // the click handled
}

void ExpectReachable(QWidget* window, const QList<QWidget*>& controls)
{
    ASSERT_TRUE(window && QTest::qWaitForWindowExposed(window));
    for (QWidget* control : controls)
        EXPECT_TRUE(Reachable(control)) << window->windowTitle().toStdString() << ": "
                                        << control->accessibleName().toStdString();
}

QList<QWidget*> Controls(QWidget* window)
{
    return window->findChildren<QWidget*>(QRegularExpression("^\\d+$"));
}

} // namespace

TEST(OnScreen, EveryControlIsWithinReachAndCopyTakesARealClick)
{
    CZm_configDlg dlg{nullptr, std::make_unique<CFakeMidiPlatform>(std::vector<std::string>{"In A"},
                                                                   std::vector<std::string>{"Out A"})};
    dlg.OnInitDialog();
    dlg.show();
    ExpectReachable(&dlg, Controls(&dlg));

    QGuiApplication::clipboard()->clear();
    ClickOnScreen(dlg.Control(IDC_COPY_MESSAGES));
    ASSERT_TRUE(WaitFor([] { return QGuiApplication::clipboard()->mimeData()->hasFormat("text/plain"); }, 3000));
    const QByteArray text = QGuiApplication::clipboard()->mimeData()->data("text/plain");
    EXPECT_TRUE(text.startsWith("item   0: This application must comunicate with the ZM1 box it is controlling\r\n"));
    EXPECT_EQ(text.count("\r\n"), 18) << "the help lines";

    ClickOnScreen(dlg.Control(IDC_KEYBOARD_CONFIG));
    ExpectReachable(dlg.KeyboardConfigWindow(), Controls(dlg.KeyboardConfigWindow()));
    dlg.KeyboardConfigWindow()->close();
    ClickOnScreen(dlg.Control(IDC_AOT_SETUP));
    ExpectReachable(dlg.AotSetupWindow(), Controls(dlg.AotSetupWindow()));
    dlg.AotSetupWindow()->close();
    CKeyboardViewWindow& view = dlg.OpenKeyboardView();
    QList<QWidget*> buttons;
    for (QAbstractButton* button : view.findChildren<QAbstractButton*>())
        buttons.append(button);
    ExpectReachable(&view, buttons);
}
