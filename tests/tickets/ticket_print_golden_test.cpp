// The ticket print and the voiding document are the legal documents: their prepared pages are
// compared, text by text with position, size and font, with checked-in golden files. A layout
// change shows as a readable diff; run with TERMARO_UPDATE_GOLDEN=1 to rewrite the files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "support/app_fixture.h"
#include "support/database_fixture.h"
#include "ticket_test_support.h"
#include "tickets/ticket_list.h"

using namespace tickets_test;

namespace {
// The longest remark the header holds, in words that wrap.
const QString longestRemark =
    QStringLiteral(
        "Hosszú megjegyzés, amely a felvásárlási jegy minden példányán teljes egészében "
        "meg kell jelenjen: a minőségi felár, a nedvesség és a szemét levonása után "
        "számolt ár, tárolás a vevő raktárában.")
        .leftJustified(200, QLatin1Char('.'));

// Each text item of each page: position and size in mm, font, text (line breaks as "\n").
QString positionedText(const PageModel& model) {
    QString out;
    for (int p = 0; p < model.pages.size(); ++p) {
        out += QStringLiteral("=== oldal %1\n").arg(p + 1);
        for (const PageItem& item : model.pages[p].items) {
            if (item.kind != PageItem::Kind::Text) continue;
            const PageStyle& style = model.style(item);
            QString text = item.text;
            text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
            out += QString::asprintf("%6.1f %6.1f %6.1f %5.1f %4.1f%s%s | ", item.rectMm.left(),
                                     item.rectMm.top(), item.rectMm.width(), item.rectMm.height(),
                                     style.fontSizePt, style.bold ? "b" : "",
                                     style.italic ? "i" : "") +
                   text + QLatin1Char('\n');
        }
    }
    return out;
}

void expectGolden(const PageModel& model, const QString& name) {
    const QString path = repoDbFolder() + QStringLiteral("/../tests/tickets/golden/") + name;
    const QByteArray actual = positionedText(model).toUtf8();
    if (qEnvironmentVariableIsSet("TERMARO_UPDATE_GOLDEN")) {
        QDir().mkpath(QFileInfo(path).path());
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(actual);
        return;
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(QString::fromUtf8(in.readAll()).toStdString(),
              QString::fromUtf8(actual).toStdString())
        << name.toStdString();
}
}  // namespace

TEST(TicketPrintGolden, TicketWithTheLongestRemarkAndItsVoidingDocument) {
    AppFixture f(true);
    f.chooseBuyer("1");
    QFile::copy(repoDbFolder() + "/FjLista7.frf", f.folder() + "/FjLista7.frf");
    Query& q = f.data().query("ZQ91");
    q.setSql("UPDATE FJFEJ SET F_PRN = ' ', F_MEGJ = :p1 WHERE F_BSZAM = '20260001'");
    q.bindText("p1", longestRemark);
    q.execSql();
    f.data().commit();
    f.run().lastSavedTicketNumber = "20260001";
    TForm8 list(f.app());
    list.show();
    button(list, "Nyomtat")->click();
    ASSERT_EQ(f.ui.reports.size(), 1);
    const ReportJob& ticket = f.ui.reports.last();
    // The whole remark on all three copies.
    ASSERT_EQ(ticket.pageTexts.size(), 3);
    for (const QString& page : ticket.pageTexts)
        EXPECT_EQ(page.count(longestRemark), 1) << page.toStdString();
    expectGolden(*ticket.pageModel, "ticket_20260001.txt");

    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", "20260001", false, false));
    f.ui.onModal["TForm39"] = [](QDialog& d) {
        edit(d, "F_KELT")->setText("2026.01.20");
        button(d, "OK")->click();
        return d.result();
    };
    button(list, "Érvénytelenit")->click();
    ASSERT_EQ(f.data().query("ZQ10").text("f_bszam"), "20260014");
    button(list, "Nyomtat")->click();
    ASSERT_EQ(f.ui.reports.size(), 2);
    const ReportJob& voiding = f.ui.reports.last();
    for (const QString& page : voiding.pageTexts) EXPECT_EQ(page.count(longestRemark), 1);
    expectGolden(*voiding.pageModel, "voiding_20260014.txt");
    EXPECT_TRUE(f.ui.errors.isEmpty()) << f.ui.errors.join('\n').toStdString();
}
