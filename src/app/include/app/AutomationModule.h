// Program-wide automation state: how many automation objects are alive,
// whether the user is in control of the program, and which window is the
// main window.
//
// When the last object goes and the program was started by an automation
// client (not under the user's control), the program ends: the user takes
// control (so this happens once) and the main window is destroyed, which
// ends its modal run; while another modal window blocks the main window
// nothing happens, and the user ends the program. Without a main window a
// quit is posted instead. Window thread only; the count itself is atomic.
#pragma once

#include <atomic>
#include <functional>

class CZm_configDlg;

class CAutomationModule {
public:
    CAutomationModule();

    //! False once the program was started for an automation client.
    bool UserControl() const { return m_bUserControl; }
    void SetUserControl(bool user) { m_bUserControl = user; }

    CZm_configDlg* MainWindow() const { return m_pMainWnd; }
    void SetMainWindow(CZm_configDlg* window) { m_pMainWnd = window; }

    //! An automation object was created / destroyed.
    void LockApp();
    void UnlockApp();
    //! No client can reach this program any more: a run started for
    //! automation that holds no object ends, as after the last release.
    void EndUnheldRun();
    int LiveObjects() const { return m_nLiveObjects.load(); }

    //! What "post the quit message" does; QCoreApplication::quit() queued by default.
    void SetQuitAction(std::function<void()> quit) { m_quit = std::move(quit); }

private:
    void OnReleaseAllObjects();

    std::atomic<int> m_nLiveObjects{0};
    bool m_bUserControl = true;
    CZm_configDlg* m_pMainWnd = nullptr;
    std::function<void()> m_quit;
};
