// The windows on a real X display (Xvfb, see on_screen.sh), at the scale the
// script sets: every control of the main window, the Keyboard Configurator
// and the Automatic Stream Controls lies on the screen within its window's
// visible area (scrolled into view where the window scrolls), and a real
// pointer click on "Copy Message Window", made by xdotool at the button's
// place on the screen, puts the message window on the clipboard.
#include "FakeMidiPlatform.h"
#include "WaitFor.h"
#include "res/resource.h"
#include "ui/AotSetupDlg.h"
#include "ui/KeyboardConfigDlg.h"
#include "ui/KeyboardView.h"
#include "ui/Zm_configDlg.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace {

//! Scrolls all of `control` into view when its window scrolls.
void BringIntoView(QWidget* control)
{
    for (QWidget* w = control->parentWidget(); w != nullptr; w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w)) {
            const QPoint centre = control->mapTo(area->widget(), control->rect().center());
            area->ensureVisible(centre.x(), centre.y(), control->width() / 2 + 1, control->height() / 2 + 1);
        }
}

//! True when all of `control` shows: inside every parent's visible area and on the screen.
bool Reachable(QWidget* control)
{
    QRect shown(QPoint(), control->size());
    for (QWidget* w = control; !w->isWindow(); w = w->parentWidget()) {
        shown.translate(w->pos());
        if (!w->parentWidget()->rect().contains(shown))
            return false;
    }
    const QRect onScreen(control->mapToGlobal(QPoint()), control->size());
    return control->screen()->geometry().contains(onScreen);
}

//! A real click of the X pointer at the centre of `control`, once in view.
void ClickOnScreen(QWidget* control)
{
    BringIntoView(control);
    QTest::qWait(200);   // drawn where it now is
    const QPoint centre = control->mapToGlobal(control->rect().center());
    const qreal ratio = control->devicePixelRatioF();
    const QStringList args = {"mousemove", "--sync", QString::number(qRound(centre.x() * ratio)),
                              QString::number(qRound(centre.y() * ratio)), "click", "1"};
    ASSERT_EQ(QProcess::execute("xdotool", args), 0) << "xdotool is needed (scripts/deps.sh test)";
}

void ExpectEveryControlReachable(CTemplateDialog& window, int templateId)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const ControlTemplate& control : FindDialogTemplate(templateId)->controls) {
        QWidget* w = window.Control(control.id);
        BringIntoView(w);
        EXPECT_TRUE(Reachable(w)) << "window " << templateId << ", control " << control.id << " at "
                                  << w->mapTo(&window, QPoint()).x() << "," << w->mapTo(&window, QPoint()).y()
                                  << " size " << w->width() << "x" << w->height() << " in " << window.width() << "x"
                                  << window.height() << " at " << window.x() << "," << window.y();
    }
}

} // namespace

TEST(OnScreen, EveryControlIsWithinReachAndCopyTakesARealClick)
{
    auto* platform = new CFakeMidiPlatform({"In A"}, {"Out A"});
    CZm_configDlg dlg{nullptr, std::unique_ptr<IMidiPlatform>(platform)};
    dlg.OnInitDialog();
    dlg.show();
    ExpectEveryControlReachable(dlg, IDD_ZM_CONFIG_DIALOG);

    QGuiApplication::clipboard()->clear();
    ClickOnScreen(dlg.Control(IDC_COPY_MESSAGES));
    ASSERT_TRUE(WaitFor([] { return QGuiApplication::clipboard()->mimeData()->hasFormat("text/plain"); }, 3000));
    const QByteArray text = QGuiApplication::clipboard()->mimeData()->data("text/plain");
    EXPECT_TRUE(text.startsWith("item   0: This application must comunicate with the ZM1 box it is controlling\r\n"));
    EXPECT_EQ(text.count("\r\n"), 18) << "the help lines";

    // The secondary windows, opened as the user opens them.
    ClickOnScreen(dlg.Control(IDC_KEYBOARD_CONFIG));
    ASSERT_TRUE(WaitFor([&] { return dlg.m_pKeyboardConfigDlg && dlg.m_pKeyboardConfigDlg->isVisible(); }, 3000));
    ExpectEveryControlReachable(*dlg.m_pKeyboardConfigDlg, IDD_KEYBOARD_CONFIG);
    dlg.m_pKeyboardConfigDlg->close();
    ClickOnScreen(dlg.Control(IDC_AOT_SETUP));
    ASSERT_TRUE(WaitFor([&] { return dlg.m_pAotSetupDlg && dlg.m_pAotSetupDlg->isVisible(); }, 3000));
    ExpectEveryControlReachable(*dlg.m_pAotSetupDlg, IDD_AOT_SETUP);
    dlg.m_pAotSetupDlg->close();

    CKeyboardViewWindow& view = dlg.OpenKeyboardView();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_TRUE(view.screen()->availableGeometry().contains(QRect(view.mapToGlobal(QPoint()), view.size())));
    // Its buttons and the interval; the drawing and the lists may be larger than the screen.
    for (QWidget* w : view.findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QAbstractSpinBox*>(w))
            continue;
        BringIntoView(w);
        EXPECT_TRUE(Reachable(w)) << "Keyboard View: " << w->metaObject()->className() << " "
                                  << w->accessibleName().toStdString();
    }
}
