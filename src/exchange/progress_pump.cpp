#include "exchange/progress_pump.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace {
constexpr int paintIntervalMs = 50;
}

ProgressPump::ProgressPump(QProgressBar* bar, int maximum) : m_bar(bar) {
    if (m_bar) {
        m_bar->setMaximum(qMax(maximum, 0));
        m_bar->setValue(0);
    }
    m_sincePaint.start();
    pump();
}

void ProgressPump::step() {
    ++m_done;
    // Reading the monotonic clock per unit is cheap; painting happens every few dozen ms.
    if (m_sincePaint.elapsed() >= paintIntervalMs) pump();
}

void ProgressPump::finish() {
    pump();
}

void ProgressPump::pump() {
    if (m_bar) m_bar->setValue(qMin(m_done, m_bar->maximum()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sincePaint.restart();
}
