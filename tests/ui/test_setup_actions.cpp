// The window's setup entries end to end against the box at MIDI wire
// speed: the compare window's rows and buttons, the question before a
// setup for another number of keys goes in, and the entries resting while
// a task runs.
#include "DeviceRow.h"
#include "WaitFor.h"
#include "res/resource.h"
#include "ui/BoxActions.h"
#include "ui/MessageWindowModel.h"
#include "ui/SetupActions.h"
#include "ui/Zm_configDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

std::unique_ptr<CZm_configDlg> StartDialog(const QString& settings)
{
    auto dlg = std::make_unique<CZm_configDlg>(nullptr, MakeDeviceRow({{"ZM1 Simulator", DeviceKind::Box}},
                                                                      SimTiming::WireSpeed));
    dlg->SetSettingsFile(settings);
    dlg->OnInitDialog();
    // The timeout only counts when an answer is missing; a loaded machine may be slow.
    dlg->Editors().Setups().SetTimeout(std::chrono::seconds(5));
    dlg->show();
    dlg->Editors().PortLists().ChoosePair(0, 0);
    return dlg;
}

std::string LastLine(CZm_configDlg& dlg)
{
    dlg.MessageWindow().Flush();
    const CMessageLog& log = dlg.MessageWindow().Log();
    return log.Count() ? std::string(log.Line(log.Count() - 1)) : std::string();
}

QStringList Row(QTableWidget* table, int row)
{
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column)
        cells << table->item(row, column)->text();
    return cells;
}

//! Answers the next message box: keeps its text and closes it.
void AnswerNextBox(QString& text)
{
    QTimer::singleShot(20, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->close();
        } else {
            AnswerNextBox(text);
        }
    });
}

//! A file dialog as the user saw it.
struct Dialog {
    QString folder;
    QString selected;  //!< the file selected when it opened
    QString suffix;    //!< added to a name typed without one
};

} // namespace

TEST(SetupActions, CompareShowsTheDifferencesAndItsButtonLoadsTheFile)
{
    QTemporaryDir dir;
    auto dlg = StartDialog(dir.filePath("zm_config.conf"));
    CSetupActions& setups = *dlg->BoxActions()->Setups();
    const QString file = dir.filePath("organ.syx");
    ASSERT_TRUE(setups.SaveTo(file));
    QMenu menu;
    dlg->BoxActions()->AddTo(menu);
    EXPECT_FALSE(dlg->BoxActions()->FindAction()->isEnabled()) << "no search while the box is read";
    EXPECT_FALSE(setups.Actions().front()->isEnabled()) << "one task at a time";
    ASSERT_TRUE(WaitFor([&] { return !setups.Running(); }));
    ASSERT_TRUE(QFile::exists(dir.filePath("organ.json")));

    dlg->Editors().OnListSelChange(kZoneChannelList[1], 9);
    dlg->Editors().OnListSelChange(IDC_PARAMETER_LIST, 21);
    dlg->SetControlText(IDC_XTABLE_DATA, "6");
    dlg->Editors().OnCommand(IDC_SEND_XTABLE);
    ASSERT_TRUE(setups.CompareWith(file));
    ASSERT_TRUE(WaitFor([&] { return setups.CompareWindow() && setups.CompareWindow()->isVisible(); }));
    CSetupCompareDlg& window = *setups.CompareWindow();
    EXPECT_EQ(window.Summary()->text(), "organ.syx and the box differ in 2 values:");
    ASSERT_EQ(window.Table()->rowCount(), 2);
    EXPECT_EQ(Row(window.Table(), 0), (QStringList{"parameter 21 (ZmFunc_KeyTrigPos)", "3", "6"}));
    EXPECT_EQ(Row(window.Table(), 1), (QStringList{"zone 2 midi_chan", "2", "10"}));

    window.LoadButton()->click();
    EXPECT_FALSE(window.isVisible());
    ASSERT_TRUE(WaitFor([&] { return !setups.Running(); }));
    EXPECT_EQ(LastLine(*dlg), "Setup loaded from " + file.toStdString() +
                                  ": 27 parameters and 4 zones, read back, all as written");
    ASSERT_TRUE(setups.CompareWith(file));
    ASSERT_TRUE(WaitFor([&] { return !setups.Running() && window.isVisible(); }));
    EXPECT_EQ(window.Summary()->text(), "The box holds what organ.syx sets.");
    EXPECT_FALSE(window.LoadButton()->isEnabled());
}

TEST(SetupActions, ASetupForAnotherNumberOfKeysIsLoadedOnlyWhenTheUserSaysSo)
{
    QTemporaryDir dir;
    auto dlg = StartDialog(dir.filePath("zm_config.conf"));
    CSetupActions& setups = *dlg->BoxActions()->Setups();
    const QString file = dir.filePath("61.syx");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray::fromHex("F009430C003D00F7"));
    out.close();
    for (const bool load : {false, true}) {
        QString asked;
        setups.SetAsker([&](const QString& question) {
            asked = question;
            return load;
        });
        ASSERT_TRUE(setups.LoadFrom(file));
        ASSERT_TRUE(WaitFor([&] { return !setups.Running(); }));
        EXPECT_TRUE(asked.startsWith("61.syx is a setup for a box with 61 keys; this box has 88 keys.")) << asked.toStdString();
        EXPECT_EQ(LastLine(*dlg), load ? "Setup loaded from " + file.toStdString() +
                                             ": 1 parameter and 0 zones, read back, all as written"
                                       : "Setup not loaded from " + file.toStdString() +
                                             ": it is for 61 keys, the box has 88");
    }
}

TEST(SetupActions, TheFileDialogsKeepTheLastFolderAndABadFileIsToldInAMessageBox)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath("zm_config.conf");
    const QString organs = dir.filePath("organs");
    const QString spare = dir.filePath("spare");
    ASSERT_TRUE(QDir().mkpath(organs) && QDir().mkpath(spare));
    std::vector<Dialog> dialogs;
    QString answer;
    const auto answerWith = [&](CSetupActions& setups) {
        setups.SetChooser([&](QFileDialog& dialog) {
            dialogs.push_back({dialog.directory().absolutePath(), dialog.selectedFiles().value(0), dialog.defaultSuffix()});
            return answer;
        });
    };

    // First in the home folder.
    auto dlg = StartDialog(settings);
    answerWith(*dlg->BoxActions()->Setups());
    answer = organs + "/church.syx";
    dlg->BoxActions()->Setups()->Actions()[0]->trigger();
    ASSERT_TRUE(WaitFor([&] { return !dlg->BoxActions()->Setups()->Running(); }));
    EXPECT_TRUE(QFile::exists(organs + "/church.syx") && QFile::exists(organs + "/church.json"));
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].folder, QDir::homePath());
    EXPECT_EQ(dialogs[0].suffix, "syx");

    // The next dialog opens where the last file was chosen, also in a
    // window started anew; a bad file there is named with what is wrong in
    // a message box, and nothing goes to the box.
    dlg = StartDialog(settings);
    CSetupActions& setups = *dlg->BoxActions()->Setups();
    answerWith(setups);
    QFile cut(organs + "/cut.syx");
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(QByteArray::fromHex("F009431500"));
    cut.close();
    const uint64_t sent = dlg->Editors().Ports().Transmitter().FramesSent();
    QString warning;
    AnswerNextBox(warning);
    answer = organs + "/cut.syx";
    setups.Actions()[1]->trigger();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].folder, organs);
    ASSERT_TRUE(WaitFor([&] { return !warning.isEmpty(); }));
    EXPECT_EQ(warning, organs + "/cut.syx\n\nmalformed setup at byte 0: frame without its F7");
    EXPECT_EQ(dlg->Editors().Ports().Transmitter().FramesSent(), sent);

    // The compare window saves the box's values: its dialog opens at the
    // compared file, and the folder chosen there is kept.
    dlg->Editors().OnListSelChange(kZoneChannelList[0], 4);
    ASSERT_TRUE(setups.CompareWith(organs + "/church.syx"));
    ASSERT_TRUE(WaitFor([&] { return setups.CompareWindow() && setups.CompareWindow()->isVisible(); }));
    answer = spare + "/now.syx";
    setups.CompareWindow()->SaveButton()->click();
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[2].folder, organs);
    EXPECT_EQ(dialogs[2].selected, organs + "/church.syx");
    ASSERT_TRUE(WaitFor([&] { return !setups.Running(); }));
    EXPECT_EQ(LoadSetupFolder(settings), spare);
    ASSERT_TRUE(setups.CompareWith(spare + "/now.syx"));
    ASSERT_TRUE(WaitFor([&] { return !setups.Running(); }));
    EXPECT_EQ(LastLine(*dlg), "Compare with " + spare.toStdString() + "/now.syx: the box holds what the setup sets");
}
