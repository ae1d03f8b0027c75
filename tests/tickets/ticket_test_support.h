#pragma once

#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include "core/database.h"
#include "core/tdata.h"
#include "support/app_fixture.h"

// Helpers the ticket screen tests share.
namespace tickets_test {

// Settings files beside a program path in the fixture's folder; the run values point there.
inline void writeSettings(AppFixture& f, const QByteArray& form9, const QByteArray& form10 = {}) {
    f.run().programFile = f.folder() + QStringLiteral("/termaro");
    const std::pair<const char*, const QByteArray*> files[] = {{"termaroform9.ini", &form9},
                                                               {"termaroform10.ini", &form10}};
    for (const auto& [name, bytes] : files) {
        QFile file(f.folder() + QLatin1Char('/') + QLatin1String(name));
        if (file.open(QIODevice::WriteOnly)) file.write(*bytes);
    }
}

// Every optional field shown, starting at 0.
inline const QByteArray allVisible =
    "[Form9]\r\nEdit14Visible=1\r\nEdit14Text=0\r\nEdit15Visible=1\r\nEdit15Text="
    "0\r\nEdit13Visible=1\r\nEdit13Text=0\r\n";

inline QLineEdit* edit(QWidget& screen, const QString& name) {
    auto* e = screen.findChild<QLineEdit*>(name);
    if (!e) throw std::runtime_error(("no input " + name).toStdString());
    return e;
}

inline QPushButton* button(QWidget& screen, const QString& caption) {
    for (QPushButton* b : screen.findChildren<QPushButton*>()) {
        if (b->text() == caption) return b;
    }
    throw std::runtime_error(("no button " + caption).toStdString());
}

// The producer list closes on the producer `code`.
inline void pickProducer(AppFixture& f, const QString& code) {
    f.ui.onModal["TForm4"] = [&f, code](QDialog&) {
        f.data().query("ZQ30").locate("O_KOD", code, false, false);
        return int(QDialog::Accepted);
    };
}

// The product list closes on the product `code`.
inline void pickProduct(AppFixture& f, const QString& code) {
    f.ui.onModal["TForm6"] = [&f, code](QDialog&) {
        f.data().query("ZQ40").locate("T_KOD", code, false, false);
        return int(QDialog::Accepted);
    };
}

// The line entry takes the product `code` with `quantity` and writes the line.
inline void lineWith(AppFixture& f, const QString& code, const QString& quantity) {
    pickProduct(f, code);
    f.ui.onModal["TForm10"] = [quantity](QDialog& d) {
        button(d, "Termék")->click();
        edit(d, "S_BRUTTO")->setText(quantity);
        button(d, "OK")->click();
        return d.result();
    };
}

// The first value of a SELECT as another connection sees it: what has been committed.
inline QString committed(AppFixture& f, const QString& sql) {
    Database other;
    other.attach(f.folder() + QStringLiteral("/termaro.fdb"), TData::userName, TData::password,
                 TData::charset);
    QString value;
    {
        auto cursor = other.open(sql, {});
        QByteArray row;
        if (cursor->fetch(row)) value = Cursor::unpack(row, 0).asText();
    }
    other.rollback();
    other.detach();
    return value;
}

}  // namespace tickets_test
