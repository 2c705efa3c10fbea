// Pictures of the main window for docs/: shows the window on the display it
// is given (xvfb-run), plays a short session against the built-in simulated
// box, and saves what the screen shows.
//   zm_snapshot main-window OUTPUT.png
//       the input and output on "ZM1 Simulator", after Synchronize Data
//   zm_snapshot keyboard-view OUTPUT.png
//       the Keyboard View after a smart dump of a box with one key of short
//       travel, a Scan Dump and a few seconds of the box's playing
//   zm_snapshot report OUTPUT.pdf
//       the calibration report of that session ("Identify Box" pressed
//       too), exported as a PDF
//   zm_snapshot compare-window OUTPUT.png
//       "Compare with box…" after the setup was saved and two zones and
//       three parameters were changed
// A one-touch layout's command-line name after OUTPUT (organ61,
// dual-manual-organ, ...) writes it to the box first; dual-manual-organ
// makes the box and the view 122 keys.
#include "editors/KeyboardConfigurator.h"
#include "editors/KeyboardPresets.h"
#include "protocol/ProtocolCodes.h"
#include "protocol/RequestBuilders.h"
#include "res/resource.h"
#include "sim/SimMidiPlatform.h"
#include "ui/KeyboardView.h"
#include "ui/BoxActions.h"
#include "ui/ListBox.h"
#include "ui/SetupActions.h"
#include "ui/Zm_configDlg.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstring>

namespace {

void Wait(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QTest::qWait(10);
}

void Pick(CZm_configDlg& dlg, int list, int line)
{
    // As a click would: the line shows selected and its handler runs.
    qobject_cast<CListBox*>(dlg.Control(list))->SelectLine(line);
    dlg.Editors().OnListSelChange(list, line);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);   // never the user's remembered ports
    const bool report = argc >= 3 && std::strcmp(argv[1], "report") == 0;
    const bool keyboardView = report || (argc >= 3 && std::strcmp(argv[1], "keyboard-view") == 0);
    const bool compare = argc >= 3 && std::strcmp(argv[1], "compare-window") == 0;
    const KeyboardPreset* layout = argc == 4 ? FindKeyboardPreset(argv[3]) : nullptr;
    if (argc < 3 || argc > 4 || (argc == 4 && !layout) || (!keyboardView && !compare && std::strcmp(argv[1], "main-window") != 0)) {
        std::fprintf(stderr, "usage: zm_snapshot main-window|keyboard-view|compare-window OUTPUT.png [LAYOUT] | "
                             "report OUTPUT.pdf [LAYOUT]\n");
        return 2;
    }
    CZm_configDlg dlg(nullptr, std::make_unique<CSimMidiPlatform>());
    dlg.OnInitDialog();
    dlg.show();
    Wait(500);
    Pick(dlg, IDC_MIDI_IN_LIST, 0);
    Pick(dlg, IDC_MIDI_OUT_LIST, 0);
    if (layout) {
        if (layout->id == IDC_PRESET_DUAL_MANUAL) {
            SendSetParameter(dlg.Editors().Sender(), ZmFunc_NumberKeys, 122);
            dlg.Editors().OnCommand(IDC_SCANNER_122);
        }
        CKeyboardConfigurator(dlg, dlg.Held(), dlg.Editors().Sender()).OnCommand(layout->id);
    }
    dlg.Editors().OnCommand(IDC_SYNCHRONIZE);
    Wait(1500);   // the replies at wire speed, and a few ticks to show them
    QWidget* window = &dlg;
    QTemporaryDir setupFolder;
    if (compare) {
        CSetupActions& setups = *dlg.BoxActions()->Setups();
        const QString file = setupFolder.filePath("organ.syx");
        setups.SaveTo(file);
        Wait(1500);
        Pick(dlg, kZoneChannelList[0], 9);       // zone 1 on channel 10
        dlg.Editors().OnCommand(kZonePlus12[2]); // zone 3 an octave up
        ISysExSender& box = dlg.Editors().Sender();
        SendSetParameter(box, 17, 40);
        SendSetParameter(box, 21, 6);
        SendSetParameter(box, 27, 90);
        Wait(500);
        setups.CompareWith(file);
        Wait(1500);
        window = setups.CompareWindow();
        if (!window) {
            std::fprintf(stderr, "zm_snapshot: no comparison\n");
            return 1;
        }
        window->move(dlg.geometry().center() - window->rect().center());
        Wait(300);
    }
    if (keyboardView) {
        ISysExSender& box = dlg.Editors().Sender();
        SendSetParameter(box, 5, 41);   // key 40's sensor travels short
        dlg.Editors().OnCommand(IDC_SMART_DUMP);
        dlg.Editors().OnCommand(IDC_SCAN_DUMP);
        SendSetParameter(box, 8, 1);    // the box plays
        CKeyboardViewWindow& view = dlg.OpenKeyboardView();
        view.resize(1280, 600);
        if (report)
            SendIdentityRequests(box, dlg.Held());
        Wait(5000);
        window = &view;
        if (report) {
            if (!view.ExportPdf(QString::fromLocal8Bit(argv[2]))) {
                std::fprintf(stderr, "zm_snapshot: %s\n", qPrintable(view.StatusText()));
                return 1;
            }
            std::printf("wrote %s\n", argv[2]);
            return 0;
        }
    }
    const QPixmap shot = window->screen()->grabWindow(window->winId());
    if (!shot.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "zm_snapshot: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("wrote %s (%dx%d)\n", argv[2], shot.width(), shot.height());
    return 0;
}
