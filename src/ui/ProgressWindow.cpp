#include "ui/ProgressWindow.h"

QProgressDialog* OpenProgressWindow(QWidget* window, QObject* owner, const QString& title, std::function<void()> stop)
{
    auto* progress = new QProgressDialog(window);
    progress->setWindowTitle(title);
    progress->setCancelButtonText(QStringLiteral("Stop"));
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setMinimumDuration(0);
    progress->setWindowModality(Qt::NonModal);
    QObject::connect(progress, &QProgressDialog::canceled, owner, std::move(stop));
    return progress;
}

void CloseProgressWindow(QPointer<QProgressDialog>& progress, QObject* owner)
{
    if (!progress)
        return;
    // Its own cancel must not come back to the owner while it goes.
    progress->disconnect(owner);
    progress->hide();
    progress->deleteLater();
    progress = nullptr;
}
