#pragma once

#include <QString>

class Query;

// The code proposed for a new producer or product: the numeric successor of the largest code
// that is a number ("1" in a register without one). With codes of one length this is the last
// code in text order plus one; with codes 1 to 20 it is 21, where text order would repeat 10.
// `table` and `column` are the register's own names, never user input. Runs in `q`.
QString proposedCode(Query& q, const QString& table, const QString& column);
