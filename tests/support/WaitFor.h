// Waiting in GUI tests: runs the event loop (timers, the decoder's ticks)
// until a condition holds or the time is up. Unlike Qt's QTRY macros it
// reports to GoogleTest: use it as EXPECT_TRUE(WaitFor(...)).
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

template <typename Condition>
bool WaitFor(Condition condition, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}
