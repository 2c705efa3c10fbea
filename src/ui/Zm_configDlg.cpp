#include "Zm_configDlg.h"

#include "DialogBuilder.h"
#include "ListBox.h"
#include "MainDialogTexts.h"
#include "MessageWindowModel.h"
#include "MessageWindowView.h"

#include "app/AboutDlg.h"
#include "midi/CombinedMidiPlatform.h"
#include "midi/MidiPorts.h"
#include "protocol/ReplyDecoder.h"
#include "protocol/RequestBuilders.h"
#include "app/Zm_configDlgAutoProxy.h"
#include "res/Strings.h"
#include "res/resource.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTimerEvent>

namespace {

QString FromLatin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr ZoneIds kAttackAndReleaseLists[2] = {kZoneAttackList, kZoneReleaseList};

} // namespace

CZm_configDlg::CZm_configDlg(QWidget* parent, std::unique_ptr<IMidiPlatform> platform)
    : QDialog(parent)
    , m_pPlatform(platform ? std::move(platform) : CreateMidiPlatform())
    , m_pRings(std::make_unique<CaptureRings>())
{
    m_pMessages = new CMessageWindowModel(this);

    CDialogBuilder builder;
    builder.SetFactory(IDC_MESSAGE_WINDOW, [this](const ControlTemplate&, QWidget* window) {
        m_pMessageView = new CMessageWindowView(window);
        m_pMessageView->SetMessageModel(m_pMessages);
        return m_pMessageView;
    });
    m_controls = builder.Build(this, *FindDialogTemplate(IDD_ZM_CONFIG_DIALOG));
    ConnectControls();

    SeedMidiPorts();
    m_pDecoder = std::make_unique<CReplyDecoder>(*m_pRings, m_held, *this);
    m_hIcon = QIcon(ResourceImagePath(IDR_MAINFRAME));
}

CZm_configDlg::~CZm_configDlg()
{
    // Neither object may be left pointing at the other.
    if (m_pAutoProxy && m_pAutoProxy->m_pDialog == this)
        m_pAutoProxy->m_pDialog = nullptr;
    // The ports close quietly (no window to log to any more) before the
    // rings and the controls their callbacks and lines would reach.
    m_pPorts.reset();
}

void CZm_configDlg::ConnectControls()
{
    for (auto it = m_controls.constBegin(); it != m_controls.constEnd(); ++it) {
        const int id = it.key();
        if (auto* button = qobject_cast<QAbstractButton*>(it.value()))
            connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        else if (auto* list = qobject_cast<CListBox*>(it.value()))
            connect(list, &CListBox::UserSelChange, this, [this, id](int row) { OnListSelChange(id, row); });
    }
}

void CZm_configDlg::OnCommand(int id)
{
    switch (id) {
    case IDOK:
        OnOK();
        break;
    case IDCANCEL:
        OnCancel();
        break;
    case IDC_CLEAR_MESSAGES:
        OnClearMessages();
        break;
    case IDC_COPY_MESSAGES:
        OnCopyMessages();
        break;
    // The fixed requests: each click sends its frame at once.
    case IDC_REVISION_REQUEST:
        SendRevisionRequest(m_pPorts->Transmitter());
        break;
    case IDC_EEPROM_DUMP:
        SendEepromDumpRequest(m_pPorts->Transmitter());
        break;
    case IDC_SCAN_DUMP:
        SendScanDumpRequest(m_pPorts->Transmitter());
        break;
    case IDC_SMART_DUMP:
        SendSmartEepromPeek(m_pPorts->Transmitter(), m_held);
        break;
    case IDC_SYNCHRONIZE:
        SendSynchronizeData(m_pPorts->Transmitter(), m_held);
        break;
    default:
        emit ControlClicked(id);
        break;
    }
}

void CZm_configDlg::OnListSelChange(int id, int index)
{
    switch (id) {
    case IDC_MIDI_IN_LIST:
        OnSelchangeMidiIn(index);
        break;
    case IDC_MIDI_OUT_LIST:
        OnSelchangeMidiOut(index);
        break;
    case IDC_MIDI_THRU_LIST:
        OnSelchangeMidiThru(index);
        break;
    default:
        emit ListSelChange(id, index);
        break;
    }
}

// --- start-up ----------------------------------------------------------------

bool CZm_configDlg::OnInitDialog()
{
    if (m_bInitialised)
        return true;
    m_bInitialised = true;

    TransferBoundTexts();   // the lists are still empty here

    // Linux has no system menu of the program's own: the About entry sits in
    // the dialog's context menu and on F1.
    const std::string_view about = LoadResString(IDS_ABOUTBOX);
    if (!about.empty()) {
        m_pAboutAction = new QAction(FromLatin1(about), this);
        m_pAboutAction->setShortcut(QKeySequence(Qt::Key_F1));
        m_pAboutAction->setShortcutContext(Qt::WindowShortcut);
        connect(m_pAboutAction, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
        addAction(m_pAboutAction);
    }

    FillZoneLists();
    FillParameterList();
    setWindowIcon(m_hIcon);
    m_held.ScannerKeyCount = 88;
    EnumerateMidiPorts();
    m_nTimer = startTimer(100);

    SetCheck(IDC_SHOW_KEYS, m_held.ShowKeys != 0);
    SetCheck(IDC_SHOW_XOPTO, m_held.ShowXopto != 0);
    SetCheck(IDC_SHOW_MISC, m_held.ShowMisc != 0);
    SetCheck(IDC_SCANNER_122, m_held.Scanner122 != 0);

    for (std::string_view line : kHelpLines)
        AppendLine(line);

    TransferBoundTexts();
    return true;
}

void CZm_configDlg::FillZoneLists()
{
    auto list = [this](int id) { return qobject_cast<CListBox*>(Control(id)); };

    for (int channel = 0; channel < kChannelLineCount; ++channel)
        for (int id : kZoneChannelList)
            list(id)->AddLine(QString::fromStdString(ChannelListText(channel)));
    for (int type = 0; type < static_cast<int>(kAfterTouchNames.size()); ++type)
        for (int id : kZoneAftertouchList)
            list(id)->InsertLine(type, FromLatin1(kAfterTouchNames[static_cast<size_t>(type)]));
    for (int type = 0; type < static_cast<int>(kCurveTypeNames.size()); ++type)
        for (int id : kZoneCurveList)
            list(id)->InsertLine(type, FromLatin1(kCurveTypeNames[static_cast<size_t>(type)]));
    for (int value = 0; value < kVelocityLineCount; ++value)
        for (const ZoneIds& lists : kAttackAndReleaseLists)
            for (int id : lists)
                list(id)->AddLine(QString::fromStdString(VelocityNumberText(value)));
    for (int id : kZoneAttackList) {
        list(id)->ReplaceLine(kAttackNormalLine, FromLatin1(kAttackNormalText));
        list(id)->ReplaceLine(0, FromLatin1(kVelocityOffText));
    }
    for (int id : kZoneReleaseList)
        list(id)->ReplaceLine(0, FromLatin1(kVelocityOffText));
}

void CZm_configDlg::FillParameterList()
{
    auto* list = qobject_cast<CListBox*>(Control(IDC_PARAMETER_LIST));
    for (int number = 0; number < static_cast<int>(kParameterNames.size()); ++number)
        list->AddLine(QString::fromStdString(ParameterListText(number)));
}

void CZm_configDlg::TransferBoundTexts()
{
    // List boxes bound to an empty text keep their selection: selecting the
    // first line would start nothing, but it would mislead the user.
    m_bTransferring = true;
    m_bound.Transfer(*this);
    m_bTransferring = false;
}

int CZm_configDlg::DoModal()
{
    OnInitDialog();
    m_bModalEnded = false;
    m_nModalResult = -1;
    setWindowModality(Qt::ApplicationModal);
    show();
    // QDialog::exec() would end when CanExit() hides the dialog; this run
    // ends only by EndModalLoop().
    QEventLoop loop;
    m_pModalLoop = &loop;
    if (!m_bModalEnded)
        loop.exec(QEventLoop::DialogExec);
    m_pModalLoop = nullptr;
    return m_nModalResult;
}

// --- timer, system commands ----------------------------------------------------

void CZm_configDlg::timerEvent(QTimerEvent* event)
{
    // Every tick, whatever the timer: one decoder pass, then the newest line
    // into view (when lines arrived since the last look).
    RunDecoderPass();
    ScrollToLast();
    QDialog::timerEvent(event);
}

void CZm_configDlg::OnSysCommand(int nID)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    }
}

void CZm_configDlg::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_pAboutAction) {
        QDialog::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    menu.addAction(m_pAboutAction);
    menu.exec(event->globalPos());
}

bool CZm_configDlg::IsWindowEnabled() const
{
    const QWidget* modal = QApplication::activeModalWidget();
    return isEnabled() && (modal == nullptr || modal == this);
}

// --- message window ------------------------------------------------------------

void CZm_configDlg::OnClearMessages()
{
    m_pMessages->Clear();
}

void CZm_configDlg::OnCopyMessages()
{
    // Plain 8-bit text, byte for byte: a byte above 0x7F stays one byte.
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), m_pMessages->CopyText());
    QGuiApplication::clipboard()->setMimeData(data);
}

// --- teardown ------------------------------------------------------------------

void CZm_configDlg::Teardown()
{
    TeardownInputPort();
    TeardownOutputPort();
    TeardownThruPort();
}

bool CZm_configDlg::CanExit()
{
    if (m_pAutoProxy) {
        hide();
        return false;
    }
    return true;
}

void CZm_configDlg::OnOK()
{
    Teardown();
    if (!CanExit())
        return;
    m_bound.ReadBack(*this);
    EndDialog(IDOK);
}

void CZm_configDlg::OnCancel()
{
    Teardown();
    if (!CanExit())
        return;
    EndDialog(IDCANCEL);
}

void CZm_configDlg::OnClose()
{
    Teardown();
    if (!CanExit())
        return;
    // What the close request turns into once the dialog may go.
    OnCancel();
}

void CZm_configDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();   // the handlers decide whether the window goes
    OnClose();
}

void CZm_configDlg::accept()
{
    OnOK();
}

void CZm_configDlg::reject()
{
    OnCancel();
}

void CZm_configDlg::DestroyWindow()
{
    // The program ends right after this, so the ports are closed as on any
    // other way out: no driver callback may outlive the window.
    Teardown();
    EndModalLoop(-1);
    hide();
}

void CZm_configDlg::EndDialog(int result)
{
    EndModalLoop(result);
    QDialog::done(result);
}

void CZm_configDlg::EndModalLoop(int result)
{
    m_nModalResult = result;
    m_bModalEnded = true;
    if (m_pModalLoop)
        m_pModalLoop->exit();
}

// --- MIDI ports and the decoder ----------------------------------------------------

void CZm_configDlg::SeedMidiPorts()
{
    // Counts the devices, selects input 0 and output 0 and reads their names.
    m_pPorts = std::make_unique<CMidiPorts>(*m_pPlatform, *m_pRings, *this, [this] { TransferBoundTexts(); });
}

void CZm_configDlg::EnumerateMidiPorts()
{
    m_pPorts->EnumerateMidiPorts();
}

void CZm_configDlg::OnSelchangeMidiIn(int index)
{
    m_pPorts->OnInputSelect(index);
}

void CZm_configDlg::OnSelchangeMidiOut(int index)
{
    m_pPorts->OnOutputSelect(index);
}

void CZm_configDlg::OnSelchangeMidiThru(int index)
{
    m_pPorts->OnThruSelect(index);
}

void CZm_configDlg::TeardownInputPort()
{
    m_pPorts->TeardownInput();
}

void CZm_configDlg::TeardownOutputPort()
{
    m_pPorts->CloseOutputPort();
}

void CZm_configDlg::TeardownThruPort()
{
    m_pPorts->CloseThruPort();
}

void CZm_configDlg::RunDecoderPass()
{
    m_pPorts->Transmitter().ReportFailures();
    m_pDecoder->Run();
}

// --- IDialogControls -----------------------------------------------------------

void CZm_configDlg::AppendLine(std::string_view line)
{
    m_pMessages->Append(line);
}

void CZm_configDlg::ScrollToLast()
{
    m_pMessageView->ScrollToLast();
}

void CZm_configDlg::SetControlText(int id, std::string_view text)
{
    // A later transfer of the bound texts must show what the program last
    // wrote, not the texts from start-up.
    if (!m_bTransferring)
        m_bound.Remember(id, text);
    QWidget* control = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(FromLatin1(text));
        edit->setCursorPosition(0);   // show the start of a long text, not its end
    } else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(FromLatin1(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(FromLatin1(text));
    else
        qWarning("zm_config: control %d has no text to set", id);
}

void CZm_configDlg::SelectListLine(int id, int index)
{
    if (auto* list = qobject_cast<CListBox*>(Control(id))) {
        list->SelectLine(index);
    } else if (id == IDC_MESSAGE_WINDOW) {
        m_pMessages->Flush();
        const QModelIndex line = m_pMessages->index(index, 0);
        if (line.isValid())
            m_pMessageView->setCurrentIndex(line);
        else
            m_pMessageView->clearSelection();
    } else {
        qWarning("zm_config: control %d is not a list box", id);
    }
}

void CZm_configDlg::InsertListLine(int id, int index, std::string_view text)
{
    if (auto* list = qobject_cast<CListBox*>(Control(id)))
        list->InsertLine(index, FromLatin1(text));
    else if (id == IDC_MESSAGE_WINDOW)
        AppendLine(text);
    else
        qWarning("zm_config: control %d is not a list box", id);
}

void CZm_configDlg::SetCheck(int id, bool checked)
{
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (button && button->isCheckable())
        button->setChecked(checked);
    else
        qWarning("zm_config: control %d cannot be checked", id);
}

std::string CZm_configDlg::ControlText(int id) const
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(Control(id)))
        return edit->text().toLatin1().toStdString();
    return {};
}
