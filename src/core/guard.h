#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>
#include <exception>
#include <utility>

#include "core/errors.h"
#include "core/ui.h"

// Runs a user action; an escaping exception reaches the user through the general error display.
template <class Fn>
bool guard(Ui& ui, Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const std::exception& e) {
        ui.error(errorText(e));
    } catch (...) {
        ui.error(QStringLiteral("Ismeretlen hiba"));
    }
    return false;
}

// connect() whose slot runs inside guard(); the slot takes no arguments.
template <class Sender, class Signal, class Fn>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, QObject* context, Ui& ui,
                                       Fn fn) {
    return QObject::connect(sender, signal, context, [&ui, fn]() { guard(ui, fn); });
}

// Runs a step whose failure the caller reports itself; false when it threw. For tests of a
// value (does this text convert?), where the failure is the answer.
template <class Fn>
bool guardQuietly(Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The same for a step whose failure the user sees only as a numbered message: the error's own
// text (the server's, say) goes to the log under that message's tag.
template <class Fn>
bool guardQuietly(const QString& tag, Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const std::exception& e) {
        qWarning("%s: %s", qUtf8Printable(tag), qUtf8Printable(errorText(e)));
        return false;
    }
}
