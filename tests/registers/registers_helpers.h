#pragma once

#include <QAbstractButton>
#include <QFile>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <ostream>

#include "core/query.h"
#include "report/report_job.h"
#include "report/report_painter.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"

// Readable QString values in gtest failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Valid identifiers for producer rows made by the tests.
inline const QString validTaxId = QStringLiteral("8347708363");
inline const QString validTaxNumber = QStringLiteral("71689766103");

// A producer row with the columns the register screens show; committed.
inline void addProducer(AppFixture& f, const QString& code, const QString& name,
                        const QString& felir = QStringLiteral("KJ7273177"),
                        const QString& nebih = QString()) {
    Query& q = f.data().query("ZQ91");
    q.close();
    q.setSql(QStringLiteral(
        "INSERT INTO ostermelo (o_kod, o_nev, o_felir, o_igszam1, o_adoazon, o_adoszam, o_szido, "
        "o_ervkelt1) VALUES (:p1, :p2, :p3, :p4, :p5, :p6, DATE '1962-03-14', DATE '2021-01-01')"));
    q.bindText("p1", code);
    q.bindText("p2", name);
    q.bindText("p3", felir);
    q.bindText("p4", nebih);
    q.bindText("p5", validTaxId);
    q.bindText("p6", validTaxNumber);
    q.execSql();
    f.data().commit();
}

// Fills every producer row with the rest of what the entry's checks require; committed.
inline void completeProducers(AppFixture& f) {
    f.exec(
        "UPDATE ostermelo SET o_irszam = '6000', o_helysegnev = 'Kecskemét', o_utca = 'Fő', "
        "o_szja = 15, o_szulhely = 'Szeged', o_neme = '1', o_szulnev = o_nev, "
        "o_anyja = 'Kiss Éva', o_fhat = 5");
}

// A product row; committed.
inline void addProduct(AppFixture& f, const QString& code, const QString& name,
                       const QString& vtsz = QString()) {
    Query& q = f.data().query("ZQ91");
    q.close();
    q.setSql(
        QStringLiteral("INSERT INTO termek (t_kod, t_megnevezes, t_vtsz, t_ear, t_megy, "
                       "t_kompmerteke) VALUES (:p1, :p2, :p3, 100, 'kg', 12)"));
    q.bindText("p1", code);
    q.bindText("p2", name);
    q.bindText("p3", vtsz);
    q.execSql();
    f.data().commit();
}

// The button of a screen by its caption.
inline QAbstractButton* button(QWidget* screen, const QString& caption) {
    for (QAbstractButton* b : screen->findChildren<QAbstractButton*>()) {
        if (b->text() == caption) return b;
    }
    return nullptr;
}

inline QLineEdit* input(QWidget* screen, const char* name) {
    return screen->findChild<QLineEdit*>(QString::fromLatin1(name));
}

// Copies a template of the installation into the working folder, where the print loads it.
inline void installTemplate(AppFixture& f, const QString& name) {
    QFile::copy(repoDbFolder() + '/' + name, f.folder() + '/' + name);
}

inline QString focusName(const AppFixture& f) {
    return f.ui.lastFocus ? f.ui.lastFocus->objectName() : QString();
}

// The texts of a prepared report that do not fit their box, so the paper would cut them off.
inline QStringList cutOffTexts(const ReportJob& job) {
    QStringList cut;
    for (const Page& page : job.pageModel->pages) {
        for (const PageItem& item : page.items) {
            if (item.kind != PageItem::Kind::Text) continue;
            const double widthMm = item.rectMm.width() - 2 * textPaddingMm;
            const PageStyle& style = job.pageModel->style(item);
            const int flags = style.wordWrap ? int(Qt::TextWordWrap) : 0;
            const QRectF needed =
                QFontMetricsF(reportFont(style))
                    .boundingRect(QRectF(0, 0, widthMm * paintUnitsPerMm, 1e8), flags, item.text);
            if (needed.width() / paintUnitsPerMm > widthMm + 0.01 ||
                needed.height() / paintUnitsPerMm > item.rectMm.height() + 0.5) {
                cut << item.text;
            }
        }
    }
    return cut;
}
