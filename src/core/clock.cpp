#include "core/clock.h"

namespace {
QDateTime& fixedNow() {
    static QDateTime value;
    return value;
}
}  // namespace

QDateTime clockNow() {
    const QDateTime& fixed = fixedNow();
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

void setClockForTests(const QDateTime& now) {
    fixedNow() = now;
}
