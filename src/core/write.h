#pragma once

#include <QString>

#include "core/app.h"
#include "core/guard.h"

// The write pattern of every save: start the transaction when inactive, run the statements,
// commit; on failure show the numbered "Hiba…" message (never the server's text) and roll back.
// Returns whether the write went through.
template <class Fn>
bool runWrite(App& app, const QString& failureMessage, Fn&& statements, bool commit = true) {
    TData& data = app.data();
    try {
        if (!data.inTransaction()) data.startTransaction();
        std::forward<Fn>(statements)();
        if (commit) data.commit();
        return true;
    } catch (const std::exception&) {
        app.ui().message(failureMessage);
        guardQuietly([&data] { data.rollback(); });
        return false;
    }
}
