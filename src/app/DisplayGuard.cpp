#include "app/DisplayGuard.h"

#include <QString>

#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct HeldMessage {
    QtMsgType type;
    std::string category, file, function;
    int line;
    QString text;
};

std::vector<HeldMessage>* g_held = nullptr;
QtMessageHandler g_previous = nullptr;

void PassOn(QtMessageHandler handler, const HeldMessage& m)
{
    handler(m.type, QMessageLogContext(m.file.c_str(), m.line, m.function.c_str(), m.category.c_str()), m.text);
}

// The one fatal message Qt gives when no platform plugin could start.
bool IsNoPlatform(QtMsgType type, const QString& text)
{
    return type == QtFatalMsg && text.contains(QLatin1String("platform plugin"));
}

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (IsNoPlatform(type, text)) {
        std::fputs(CDisplayGuard::kNoDisplayLine, stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
        // Qt is half constructed: no destructors, no atexit handlers.
        ::_exit(CDisplayGuard::kNoDisplayStatus);
    }
    if (type == QtFatalMsg) {
        // Any other fatal error ends the program as Qt means it to, after
        // what led up to it.
        for (const HeldMessage& m : *g_held)
            PassOn(g_previous, m);
        g_held->clear();
        g_previous(type, context, text);
        return;
    }
    g_held->push_back({type, context.category ? context.category : "", context.file ? context.file : "",
                       context.function ? context.function : "", context.line, text});
}

} // namespace

CDisplayGuard::CDisplayGuard()
{
    g_held = new std::vector<HeldMessage>;
    // Returns Qt's default handler when none was installed.
    g_previous = qInstallMessageHandler(&Hold);
}

CDisplayGuard::~CDisplayGuard()
{
    qInstallMessageHandler(g_previous);
    for (const HeldMessage& m : *g_held)
        PassOn(g_previous, m);
    delete g_held;
    g_held = nullptr;
}
