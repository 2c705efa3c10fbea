#include "ui/Zm_configDlg.h"

#include "res/Strings.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/AotSetupDlg.h"
#include "ui/BoxActions.h"
#include "ui/KeyboardConfigDlg.h"
#include "ui/KeyboardView.h"
#include "ui/MessageWindowActions.h"
#include "ui/MessageWindowModel.h"
#include "ui/MessageWindowView.h"
#include "ui/PortActions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimerEvent>

CZm_configDlg::CZm_configDlg(QWidget* parent, std::unique_ptr<IMidiPlatform> platform)
    : CTemplateDialog(parent)
{
    m_pMessages = new CMessageWindowModel(this);

    CDialogBuilder builder;
    builder.SetFactory(IDC_MESSAGE_WINDOW, [this](const ControlTemplate&, QWidget* window) {
        m_pMessageView = new CMessageWindowView(window);
        m_pMessageView->SetMessageModel(m_pMessages);
        return m_pMessageView;
    });
    BuildFromTemplate(IDD_ZM_CONFIG_DIALOG, builder);
    // No key ends the session by accident: Enter presses no button here (a
    // focused button takes Space), and Enter in "Xtable Data" sends it.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }
    connect(qobject_cast<QLineEdit*>(Control(IDC_XTABLE_DATA)), &QLineEdit::returnPressed, this,
            [this] { OnCommand(IDC_SEND_XTABLE); });

    // Counts the devices, selects input 0 and output 0 and reads their names.
    m_pEditors = std::make_unique<CMainEditors>(*this, std::move(platform), [this] { TransferBoundTexts(); });
    m_hIcon = QIcon(ResourceImagePath(IDR_MAINFRAME));
    m_settingsFile = DefaultSettingsFile();
}

CZm_configDlg::~CZm_configDlg()
{
    // The secondary windows and the Keyboard View go first: they hold on to
    // the editors' held values and transmitter. Then the ports close quietly
    // (no window to log to any more) before the controls their lines would
    // reach. The automation proxy lets go of this dialog when it is
    // destroyed.
    delete m_pKeyboardConfigDlg;
    delete m_pAotSetupDlg;
    m_pKeyboardView.reset();
    m_pEditors.reset();
}

void CZm_configDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_CLEAR_MESSAGES:
        OnClearMessages();
        break;
    case IDC_COPY_MESSAGES:
        OnCopyMessages();
        break;
    case IDC_KEYBOARD_CONFIG:
        OnKeyboardConfig();
        break;
    case IDC_AOT_SETUP:
        OnAotSetup();
        break;
    default:
        if (!m_pEditors->OnCommand(id))
            CTemplateDialog::OnCommand(id);
        break;
    }
}

void CZm_configDlg::OnListSelChange(int id, int index)
{
    m_pEditors->OnListSelChange(id, index);
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
    m_pKeyboardViewAction = new QAction(QStringLiteral("Keyboard View"), this);
    m_pKeyboardViewAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    m_pKeyboardViewAction->setShortcutContext(Qt::WindowShortcut);
    m_pKeyboardViewAction->setShortcutVisibleInContextMenu(true);
    connect(m_pKeyboardViewAction, &QAction::triggered, this, [this] { OpenKeyboardView(); });
    addAction(m_pKeyboardViewAction);
    m_pPortActions = new CPortActions(m_pEditors->PortLists(), *this, m_settingsFile, this);
    m_pMessageActions = new CMessageWindowActions(*m_pMessages, this);
    m_pBoxActions = new CBoxActions(*m_pEditors, *this, m_settingsFile, this);

    setWindowIcon(m_hIcon);
    m_nTimer = startTimer(100);
    m_pEditors->Initialise();

    TransferBoundTexts();
    m_pPortActions->ReopenRemembered();
    return true;
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
    // Every tick, whatever the timer: one decoder pass, which ends by
    // bringing the newest line into view (when lines arrived since the last
    // look).
    m_pEditors->Tick();
    CTemplateDialog::timerEvent(event);
}

void CZm_configDlg::OnSysCommand(int nID)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    }
}

void CZm_configDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape that no control took: the dialog's own meaning of
    // them (OK, Cancel) would close the ports and lose the message window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        break;
    default:
        CTemplateDialog::keyPressEvent(event);
        break;
    }
}

void CZm_configDlg::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_pPortActions) {
        CTemplateDialog::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    // A search holds device numbers; the lists stay as they are until it ends.
    m_pPortActions->RescanAction()->setEnabled(!m_pBoxActions->Finding());
    menu.addAction(m_pPortActions->RescanAction());
    menu.addAction(m_pPortActions->ReopenAction());
    menu.addSeparator();
    m_pBoxActions->AddTo(menu);
    menu.addSeparator();
    menu.addActions(m_pMessageActions->Actions());
    menu.addSeparator();
    menu.addAction(m_pKeyboardViewAction);
    if (m_pAboutAction)
        menu.addAction(m_pAboutAction);
    menu.exec(event->globalPos());
}

CKeyboardViewWindow& CZm_configDlg::OpenKeyboardView()
{
    // A window of this dialog's own: the application-modal main dialog does
    // not block it.
    if (!m_pKeyboardView)
        m_pKeyboardView = std::make_unique<CKeyboardViewWindow>(*m_pEditors, m_settingsFile, this);
    m_pKeyboardView->show();
    m_pKeyboardView->raise();
    m_pKeyboardView->activateWindow();
    return *m_pKeyboardView;
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

// --- secondary windows ---------------------------------------------------------

CKeyboardConfigDlg* CZm_configDlg::KeyboardConfigWindow() const
{
    return m_pKeyboardConfigDlg;
}

CAotSetupDlg* CZm_configDlg::AotSetupWindow() const
{
    return m_pAotSetupDlg;
}

void CZm_configDlg::OnKeyboardConfig()
{
    // The editors ask the box again; the answers update the held values on
    // later ticks, and the window built now shows the values held before
    // the click.
    delete m_pKeyboardConfigDlg;
    m_pKeyboardConfigDlg = new CKeyboardConfigDlg(*m_pEditors, this);
    m_pKeyboardConfigDlg->ShowModeless();
}

void CZm_configDlg::OnAotSetup()
{
    delete m_pAotSetupDlg;   // shown or hidden
    m_pAotSetupDlg = new CAotSetupDlg(*m_pEditors, this);
    m_pAotSetupDlg->Open();
    m_pAotSetupDlg->ShowModeless();
}

// --- teardown ------------------------------------------------------------------

void CZm_configDlg::Teardown()
{
    m_pEditors->Teardown();
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

// --- IDialogControls -----------------------------------------------------------

void CZm_configDlg::AppendLine(std::string_view line)
{
    m_pMessages->Append(line);
}

void CZm_configDlg::AppendShortMessageLine(std::string_view line)
{
    m_pMessages->Append(line, MessageKind::ShortMessage);
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
    CTemplateDialog::SetControlText(id, text);
}

void CZm_configDlg::SelectListLine(int id, int index)
{
    if (id != IDC_MESSAGE_WINDOW) {
        CTemplateDialog::SelectListLine(id, index);
        return;
    }
    m_pMessages->Flush();
    const QModelIndex line = m_pMessages->index(index, 0);
    if (line.isValid())
        m_pMessageView->setCurrentIndex(line);
    else
        m_pMessageView->clearSelection();
}

void CZm_configDlg::InsertListLine(int id, int index, std::string_view text)
{
    if (id == IDC_MESSAGE_WINDOW)
        AppendLine(text);
    else
        CTemplateDialog::InsertListLine(id, index, text);
}
