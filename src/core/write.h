#pragma once

#include <QString>
#include <QtGlobal>

#include "core/app.h"
#include "core/errors.h"
#include "core/guard.h"

// The write pattern of every save: start the transaction when inactive, run the statements,
// commit; on failure show the numbered "Hiba…" message (never the server's text, which goes to
// the log) and roll back. `startFailureMessage` is shown when the transaction cannot even start,
// `failureMessage` when a statement or the commit fails; a WriteRefused shows its own text.
// Returns whether the write went through. A failed write leaves the screen's input as it was:
// the caller keeps the screen open, so nothing typed is lost.
template <class Fn>
bool runWrite(App& app, const QString& startFailureMessage, const QString& failureMessage,
              Fn&& statements, bool commit = true) {
    TData& data = app.data();
    try {
        if (!data.inTransaction()) data.startTransaction();
    } catch (const std::exception& e) {
        qWarning("%s: %s", qUtf8Printable(startFailureMessage), qUtf8Printable(errorText(e)));
        app.ui().message(startFailureMessage);
        return false;
    }
    try {
        std::forward<Fn>(statements)();
        if (commit) data.commit();
        return true;
    } catch (const WriteRefused& e) {
        app.ui().message(e.text());
        guardQuietly([&data] { data.rollback(); });
        return false;
    } catch (const std::exception& e) {
        qWarning("%s: %s", qUtf8Printable(failureMessage), qUtf8Printable(errorText(e)));
        app.ui().message(failureMessage);
        guardQuietly([&data] { data.rollback(); });
        return false;
    }
}

// The same with one message for both failures.
template <class Fn>
bool runWrite(App& app, const QString& failureMessage, Fn&& statements, bool commit = true) {
    return runWrite(app, failureMessage, failureMessage, std::forward<Fn>(statements), commit);
}

// One row of an import inside the caller's open transaction. The row's statements run under a
// savepoint: a failure undoes that row alone, is handed to `onFailure` with the reason, and the
// import goes on with the next row. Conversions belong inside `statements`, so a bad value fails
// only its row. Returns whether the row went in.
template <class Fn, class OnFailure>
bool runRowStep(App& app, Fn&& statements, OnFailure&& onFailure) {
    Database& db = app.data().database();
    try {
        if (!db.inTransaction()) db.startTransaction();
        db.execute(QStringLiteral("SAVEPOINT termaro_row"), {});
    } catch (const std::exception& e) {
        std::forward<OnFailure>(onFailure)(errorText(e));
        return false;
    }
    try {
        std::forward<Fn>(statements)();
        db.execute(QStringLiteral("RELEASE SAVEPOINT termaro_row"), {});
        return true;
    } catch (const std::exception& e) {
        guardQuietly(
            [&db] { db.execute(QStringLiteral("ROLLBACK TO SAVEPOINT termaro_row"), {}); });
        std::forward<OnFailure>(onFailure)(errorText(e));
        return false;
    }
}
