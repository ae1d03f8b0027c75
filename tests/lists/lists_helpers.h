#pragma once

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QDateEdit>
#include <QFile>
#include <QString>
#include <QStringList>

#include "core/query.h"
#include "registers/registers_helpers.h"
#include "report/report_painter.h"
#include "support/app_fixture.h"

// A small year of the buyer "1" (2025), each case of the lists in it:
//  - 10000001 Antal Béla, Búza, cash, bought and paid in March;
//  - 10000002 Bodor Ágnes, "búza" and Árpa, by transfer, bought in March, paid in April;
//  - 10000003 a long-named producer, Búza, cash, bought on 30 June, paid on 3 July;
//  - 10000005 Antal Béla, Kukorica in May, and 10000006 its voiding document: quantity 0;
//  - 10000007 producer "9", deleted from the register since, Napraforgó, F_UTAL NULL;
//  - 10000008 Bodor Ágnes without lines, cash, payable 500;
//  - 10000009 of another buyer, which no list of buyer "1" shows.
// Producer "4" (Cseh Tamás) has no tickets.
inline void seedYear(AppFixture& f) {
    const char* const producers[] = {
        "INSERT INTO ostermelo (o_kod, o_nev, o_irszam, o_helysegnev, o_utca, o_szido, o_anyja, "
        "o_adoazon) VALUES ('1', 'Antal Béla', '6000', 'Kecskemét', 'Fő utca 1.', "
        "DATE '1962-03-14', 'Nagy Éva', '8347708363')",
        "INSERT INTO ostermelo (o_kod, o_nev, o_irszam, o_helysegnev, o_utca, o_szido, o_anyja) "
        "VALUES ('2', 'Bodor Ágnes', '6100', 'Kiskunfélegyháza', 'Petőfi u. 3.', "
        "DATE '1970-11-02', 'Kiss Ilona')",
        "INSERT INTO ostermelo (o_kod, o_nev, o_irszam, o_helysegnev, o_utca) VALUES ('3', "
        "'Szentgyörgyváriné Kovács-Nagy Erzsébet Margit', '1025', 'Budapest', "
        "'Szépvölgyi út 12/B')",
        "INSERT INTO ostermelo (o_kod, o_nev, o_irszam, o_helysegnev, o_utca) VALUES ('4', "
        "'Cseh Tamás', '6000', 'Kecskemét', 'Rákóczi út 9.')",
    };
    for (const char* sql : producers) f.exec(QString::fromUtf8(sql));
    struct Header {
        const char* number;
        const char* producer;
        const char* bought;
        const char* paid;
        const char* transfer;  // nullptr: NULL
        const char* payable;
        const char* type;
        const char* buyer;
    };
    const Header headers[] = {
        {"10000001", "1", "2025-03-05", "2025-03-05", " ", "56000", "1", "1"},
        {"10000002", "2", "2025-03-10", "2025-04-02", "x", "23716", "1", "1"},
        {"10000003", "3", "2025-06-30", "2025-07-03", " ", "29120", "1", "1"},
        {"10000005", "1", "2025-05-10", "2025-05-10", " ", "3360", "1", "1"},
        {"10000006", "1", "2025-05-12", "2025-05-12", " ", "-3360", "4", "1"},
        {"10000007", "9", "2025-08-01", "2025-08-01", nullptr, "6720", "1", "1"},
        {"10000008", "2", "2025-09-01", "2025-09-01", " ", "500", "1", "1"},
        {"10000009", "1", "2025-03-05", "2025-03-05", " ", "1000", "1", "2"},
    };
    for (const Header& h : headers) {
        f.exec(
            QStringLiteral("INSERT INTO fjfej (f_bszam, f_ostermkod, f_kelt, f_felvkelt, "
                           "f_fizkelt, f_utal, f_prn, f_muvktg, f_tipus, f_akod) VALUES "
                           "('%1', '%2', DATE '%3', DATE '%3', DATE '%4', %5, 'I', %6, '%7', "
                           "'%8')")
                .arg(h.number, h.producer, h.bought, h.paid,
                     h.transfer ? QStringLiteral("'%1'").arg(h.transfer) : QStringLiteral("NULL"),
                     h.payable, h.type, h.buyer));
    }
    struct Line {
        const char* number;
        const char* code;
        const char* name;
        const char* quantity;
        const char* price;
        const char* buyer;
    };
    const Line lines[] = {
        {"10000001", "1", "Búza", "1000", "50", "1"},
        {"10000002", "1", "búza", "200", "45.5", "1"},
        {"10000002", "2", "Árpa", "300", "40.25", "1"},
        {"10000003", "1", "Búza", "500", "52", "1"},
        {"10000005", "3", "Kukorica", "100", "30", "1"},
        {"10000006", "3", "Kukorica", "-100", "30", "1"},
        {"10000007", "4", "Napraforgó", "50", "120", "1"},
        {"10000009", "1", "Búza", "10", "100", "2"},
    };
    for (const Line& l : lines) {
        f.exec(QStringLiteral("INSERT INTO fjsor (s_bszam, s_termekkod, s_megnevezes, s_vtsz, "
                              "s_levonszaz, s_brutto, s_megy, s_ear, s_kompmerteke, s_akod) "
                              "VALUES ('%1', '%2', '%3', '1001', 0, %4, 'kg', %5, 12, '%6')")
                   .arg(l.number, l.code, QString::fromUtf8(l.name), l.quantity, l.price, l.buyer));
    }
    f.exec("UPDATE fjfej SET f_ervenyt = '10000006' WHERE f_bszam = '10000005'");
    f.exec("UPDATE fjfej SET f_ervenyt = '10000005' WHERE f_bszam = '10000006'");
}

inline void setPeriod(QWidget& screen, QDate from, QDate to) {
    screen.findChild<QDateEdit*>("fromDate")->setDate(from);
    screen.findChild<QDateEdit*>("toDate")->setDate(to);
}

inline void click(QWidget& screen, const QString& caption) {
    QAbstractButton* b = button(&screen, caption);
    ASSERT_NE(b, nullptr) << caption.toStdString();
    b->click();
}

inline bool enabled(QWidget& screen, const QString& caption) {
    QAbstractButton* b = button(&screen, caption);
    return b && b->isEnabled();
}

// One column of every row of a query, as text.
inline QStringList column(Query& q, const QString& field) {
    QStringList values;
    const int at = q.recNo();
    for (q.first(); !q.eof(); q.next()) values << q.text(field);
    if (at >= 0) q.moveTo(at);
    return values;
}

// Compares a prepared report's pages with tests/lists/golden/<name>.txt; with
// TERMARO_WRITE_GOLDEN=1 in the environment the file is written instead. TERMARO_PDF_FOLDER
// names a folder to write each report's PDF into, for looking at the paper.
inline void expectGolden(const ReportJob& job, const QString& name) {
    if (const QString pdfs = qEnvironmentVariable("TERMARO_PDF_FOLDER"); !pdfs.isEmpty()) {
        writePdf(*job.pageModel, pdfs + '/' + QString(name).replace(".txt", ".pdf"));
    }
    const QString path = QStringLiteral(TERMARO_SOURCE_DIR "/tests/lists/golden/") + name;
    const QString text = job.pageTexts.join("\f\n");
    QFile file(path);
    if (qEnvironmentVariableIntValue("TERMARO_WRITE_GOLDEN") == 1) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(text, QString::fromUtf8(file.readAll())) << name.toStdString();
    EXPECT_EQ(cutOffTexts(job), QStringList()) << name.toStdString();
}
