#pragma once

#include <QObject>
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

// Runs a step whose failure the caller reports itself; false when it threw.
template <class Fn>
bool guardQuietly(Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
