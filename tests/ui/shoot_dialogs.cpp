// Pictures of the two secondary windows for docs/: runs the main window on
// the built-in simulated box, reads the box (Synchronize Data), opens the
// Keyboard Configurator and the Automatic Stream Controls as a user would
// and saves each window as it is drawn.
// Usage: shoot_dialogs OUTPUT_DIR  (under xvfb-run; see dialog_screenshots.sh)
#include "protocol/RequestBuilders.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/AotSetupDlg.h"
#include "ui/KeyboardConfigDlg.h"
#include "ui/Zm_configDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>

#include <cstdio>

namespace {

bool Save(QWidget* window, const QString& path)
{
    QTest::qWait(500);   // drawn and settled
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: shoot_dialogs OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    CZm_configDlg dlg(nullptr, std::make_unique<CSimMidiPlatform>(nullptr, SimTiming::Instant));
    dlg.OnInitDialog();
    dlg.show();
    dlg.Editors().OnListSelChange(IDC_MIDI_IN_LIST, 0);
    dlg.Editors().OnListSelChange(IDC_MIDI_OUT_LIST, 0);
    // A few options on, so that the picture shows marks.
    SendSetParameter(dlg.Editors().Sender(), ZmFunc_AotBooleans, 0x89);
    SendSetParameter(dlg.Editors().Sender(), ZmFunc_Aot_t_delay, 40);
    qobject_cast<QAbstractButton*>(dlg.Control(IDC_SYNCHRONIZE))->click();
    QTest::qWait(1000);   // the box's answers reach the held values

    qobject_cast<QAbstractButton*>(dlg.Control(IDC_KEYBOARD_CONFIG))->click();
    bool ok = Save(dlg.KeyboardConfigWindow(), out.filePath("keyboard-configurator.png"));
    qobject_cast<QAbstractButton*>(dlg.KeyboardConfigWindow()->Control(IDC_PRESET_PIANO))->click();

    qobject_cast<QAbstractButton*>(dlg.Control(IDC_AOT_SETUP))->click();
    ok = Save(dlg.AotSetupWindow(), out.filePath("aot-setup.png")) && ok;
    return ok ? 0 : 1;
}
