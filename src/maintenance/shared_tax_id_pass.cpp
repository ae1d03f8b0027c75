#include "maintenance/shared_tax_id_pass.h"

#include <QPushButton>
#include <vector>

#include "core/write.h"

TForm36::TForm36(App& app, QWidget* parent)
    : UpgradeScreen(app, QStringLiteral("TForm36"), QStringLiteral("Form36"), {}, false, parent) {
    if (auto* button = findChild<QPushButton*>()) {
        button->setText(QStringLiteral("Button1"));
        button->setObjectName(QStringLiteral("Button1"));
    }
}

void TForm36::runUpgrade() {
    Query& producers = data().query(QStringLiteral("ZQ30"));
    producers.close();
    producers.setSql(
        QStringLiteral("SELECT *  \n  FROM ostermelo     \n         ORDER BY "
                       "o_Adoazon, o_kod    "));
    producers.open();
    // Every producer after the first of a group sharing one tax identification number; a blank
    // number is no identity, so blank ones are never grouped.
    std::vector<std::int64_t> later;
    QString previous;
    bool havePrevious = false;
    for (producers.first(); !producers.eof(); producers.next()) {
        const QString taxId = producers.text(QStringLiteral("O_ADOAZON")).trimmed();
        if (!taxId.isEmpty() && havePrevious && taxId == previous) {
            later.push_back(producers.integer(QStringLiteral("ID_OSTERMELO")));
        }
        previous = taxId;
        havePrevious = true;
    }
    producers.close();
    const bool written =
        runWrite(app(), QStringLiteral("Hiba361: Östermelö módosítás közben!"), [&] {
            Query& q = data().query(QStringLiteral("ZQ31"));
            for (const std::int64_t id : later) {
                q.close();
                q.setSql(
                    QStringLiteral("UPDATE ostermelo            \n  SET o_szja   = :p1  \n  WHERE "
                                   "ID_ostermelo = :p0 "));
                q.bindInt(QStringLiteral("p0"), id);
                q.bindInt(QStringLiteral("p1"), 1);
                q.execSql();
            }
        });
    if (written) ui().message(QStringLiteral("Vége."));
}
