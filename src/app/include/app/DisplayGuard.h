// Start-up without a display. Qt ends a program whose platform plugin finds
// no display with a fatal message and an abort (a core dump, a paragraph
// about reinstalling). zm_config says in one line what to do instead and
// exits with status 2, as run.sh does.
//
// The guard holds back what Qt logs while the application object is being
// constructed; should the platform plugin fail, that is replaced by the one
// line, otherwise it is passed on unchanged when the guard ends.
// Main thread, around the QApplication constructor only.
#pragma once

#include <QtGlobal>

class CDisplayGuard {
public:
    //! The line printed (to standard error) when no display can be opened.
    static constexpr const char* kNoDisplayLine =
        "zm_config: no display to open its window on (DISPLAY or WAYLAND_DISPLAY unset or unreachable); "
        "run it as `xvfb-run -a zm_config`, or with QT_QPA_PLATFORM=offscreen for no window at all";
    //! Exit status in that case.
    static constexpr int kNoDisplayStatus = 2;

    CDisplayGuard();
    //! Restores the previous message handler and passes on what was held back.
    ~CDisplayGuard();

    CDisplayGuard(const CDisplayGuard&) = delete;
    CDisplayGuard& operator=(const CDisplayGuard&) = delete;
};
