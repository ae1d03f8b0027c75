#pragma once

#include <QDateTime>

// The program's only reading of the time: time-stamped file names, export dates, default years
// and today's date in entries all come from here, so tests can fix the day.
QDateTime clockNow();
// Fixes the clock at `now`; an invalid value restores the real clock.
void setClockForTests(const QDateTime& now);
