#pragma once

#include <QAbstractButton>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QWidget>

// The button of `screen` (or of one of its pages) that carries `caption`.
inline QAbstractButton* buttonOf(QWidget* screen, const QString& caption) {
    for (QAbstractButton* b : screen->findChildren<QAbstractButton*>()) {
        if (b->text() == caption) return b;
    }
    return nullptr;
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}
