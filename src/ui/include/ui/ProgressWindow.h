// The small window that shows while a task stepped on the window thread
// runs (a search for the box, a setup saved, loaded or compared): not
// modal, a "Stop" button, left open and unchanged by Qt until the task
// ends. Window thread only.
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <functional>

//! A new progress window over `window` titled `title`; its Stop button,
//! its close box and Escape alike call `stop` (connected in the context
//! of `owner`). Not shown yet.
QProgressDialog* OpenProgressWindow(QWidget* window, QObject* owner, const QString& title, std::function<void()> stop);
//! Hides `progress` and deletes it later, without its cancel coming back
//! to `owner` while it goes; `progress` is null afterwards.
void CloseProgressWindow(QPointer<QProgressDialog>& progress, QObject* owner);
