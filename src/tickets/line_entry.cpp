#include "tickets/line_entry.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/value.h"
#include "core/widgets.h"
#include "core/write.h"
#include "registers/product_list.h"
#include "tickets/settings_files.h"
#include "tickets/ticket_entry.h"

namespace {
const QString addModeText = QStringLiteral("Új tételsor");

const FieldSpec lineFields[] = {
    {"Bszám", "S_BSZAM", 0, nullptr, nullptr, nullptr, true},
    {"Megnevezés", "S_MEGNEVEZES", 75, nullptr, nullptr,
     "A termék megnevezésének első betüit írja be, majd nyomja meg a \"Termék\" gombot."},
    {"VTSZ", "S_VTSZ", 10},
    {"Mennyiség", "S_BRUTTO", 0, "0123456789,-"},
    {"Menny. egys.", "S_MEGY", 10},
    {"Egységár", "S_EAR", 0, "0123456789,"},
    {"Komp.mértéke", "S_KOMPMERTEKE", 0, "0123456789,"},
    {"Kód", "S_TERMEKKOD", 0, nullptr, nullptr, nullptr, true},
    {"Bizonylat", "S_BIZONYLAT", 10, "0123456789,"},
};

// Line columns copied into the fields for a change, and product columns for a product choice.
const std::pair<const char*, const char*> lineColumns[] = {
    {"ID_FJSOR", "ID_fjsor"}, {"S_TERMEKKOD", "s_termekkod"},     {"S_MEGNEVEZES", "s_megnevezes"},
    {"S_VTSZ", "s_vtsz"},     {"S_BRUTTO", "s_brutto"},           {"S_MEGY", "s_megy"},
    {"S_EAR", "s_ear"},       {"S_KOMPMERTEKE", "s_kompmerteke"}, {"S_BIZONYLAT", "s_bizonylat"},
};
const std::pair<const char*, const char*> productColumns[] = {
    {"S_MEGNEVEZES", "t_megnevezes"},
    {"S_VTSZ", "t_vtsz"},
    {"S_MEGY", "t_megy"},
    {"S_EAR", "t_Ear"},
    {"S_KOMPMERTEKE", "t_kompmerteke"},
    {"S_TERMEKKOD", "t_kod"},
    {"S_BIZONYLAT", "t_bizonylat"},
};

QString trimmedRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace()) --n;
    return s.left(n);
}
}  // namespace

TForm10::TForm10(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm10"), QStringLiteral("Felvásárlási jegy tételsor"), parent) {
    settings::readForm10(run());
    if (auto* entry = qobject_cast<TForm9*>(parent)) {
        m_ticket = {[entry] { return entry->documentNumber(); },
                    [entry] { return entry->producerCode(); },
                    [entry] { return entry->weightDeductionPercent(); }};
    }

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0;
    QList<QWidget*> order;
    for (const FieldSpec& spec : lineFields) {
        QLineEdit* edit = addField(grid, row, 0, spec);
        m_fields.insert(edit->objectName(), edit);
        if (!spec.readOnly) order << edit;
        if (edit->objectName() == QLatin1String("S_BIZONYLAT")) {
            m_itemLabel = qobject_cast<QLabel*>(grid->itemAtPosition(row, 0)->widget());
        }
        ++row;
    }
    auto* id = new QLineEdit(this);
    id->setObjectName(QStringLiteral("ID_FJSOR"));
    id->setReadOnly(true);
    id->setVisible(false);
    m_fields.insert(id->objectName(), id);
    enableEnterNavigation(order);

    auto* buttons = new QHBoxLayout;
    auto* product = new QPushButton(QStringLiteral("Termék"), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    for (QPushButton* b : {product, ok, cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    onClick(product, [this] { chooseProduct(); });
    onClick(ok, [this] { save(); });
    onClick(cancel, [this] { reject(); });
}

bool TForm10::addMode() {
    return run().lineEntryMode == addModeText;
}

bool TForm10::fill() {
    const QString failed =
        QStringLiteral("Hiba101: a terméksor feltöltésben való megjelenitésekor!");
    const bool ok = guardQuietly(failed, [this] {
        const Query& line = data().query("ZQ20");
        for (const auto& [name, column] : lineColumns) {
            m_fields.value(QString::fromLatin1(name))
                ->setText(line.text(QString::fromLatin1(column)));
        }
    });
    if (!ok) ui().message(failed);
    return ok;
}

void TForm10::onShow() {
    m_fields.value("S_BSZAM")->setText(m_ticket.documentNumber ? m_ticket.documentNumber()
                                                               : QString());
    const bool itemVisible = settings::value(run(), settings::form10,
                                             QStringLiteral("Edit10Visible")) == QLatin1String("1");
    m_fields.value("S_BIZONYLAT")->setVisible(itemVisible);
    if (m_itemLabel) m_itemLabel->setVisible(itemVisible);
    if (addMode())
        m_fields.value("S_KOMPMERTEKE")
            ->setText(settings::value(run(), settings::form10, QStringLiteral("Edit8Text")));
}

void TForm10::chooseProduct() {
    run().productNamePrefix = m_fields.value("S_MEGNEVEZES")->text();
    {
        TForm6 products(app(), this);
        openModal(products);
    }
    // The list's current product is taken however the list was closed.
    const QString failed = QStringLiteral("Hiba102: a termék feltöltésben való megjelenitésekor!");
    const bool ok = guardQuietly(failed, [this] {
        const Query& product = data().query("ZQ40");
        for (const auto& [name, column] : productColumns) {
            m_fields.value(QString::fromLatin1(name))
                ->setText(product.text(QString::fromLatin1(column)));
        }
    });
    if (!ok) {
        ui().message(failed);
        reject();
        return;
    }
    ui().focus(m_fields.value("S_BRUTTO"));
}

bool TForm10::refuse(const QString& message, QLineEdit* field) {
    ui().message(message);
    ui().focus(field);
    return false;
}

void TForm10::save() {
    if (!textsStorable()) return;
    const std::pair<const char*, const char*> required[] = {
        {"S_MEGNEVEZES", "Nincs megadva a megnevezés!"},
        {"S_VTSZ", "Nincs megadva a VTSZ!"},
        {"S_BRUTTO", "Nincs megadva a mennyiség!"},
        {"S_MEGY", "Nincs megadva a mennyiség egység!"},
        {"S_EAR", "Nincs megadva az egységár!"},
        {"S_KOMPMERTEKE", "Nincs megadva a komp.mértéke!"},
    };
    for (const auto& [name, message] : required) {
        QLineEdit* edit = m_fields.value(QString::fromLatin1(name));
        if (trimmedRight(edit->text()).isEmpty()) {
            refuse(QString::fromUtf8(message), edit);
            return;
        }
    }

    if (!numbersValid(
            {m_fields.value("S_BRUTTO"), m_fields.value("S_EAR"), m_fields.value("S_KOMPMERTEKE")}))
        return;
    // The ticket's weight deduction percent as it stands now, when the line is written.
    const QString weightDeduction =
        m_ticket.weightDeductionPercent ? m_ticket.weightDeductionPercent() : QStringLiteral("0");
    if (!guardQuietly([&] { parseNumber(weightDeduction); })) {
        ui().message(QStringLiteral("A felvásárlási jegy \"Súlylevon.%\" mezőjének tartalma nem "
                                    "szám: \"%1\". Kérem javítsa!")
                         .arg(weightDeduction));
        return;
    }

    const bool add = addMode();
    const QString lineId = m_fields.value("ID_FJSOR")->text();
    const auto text = [this](const char* name) {
        return m_fields.value(QString::fromLatin1(name))->text();
    };
    // A line of a saved ticket that is being changed is committed with the ticket's header on
    // its "OK": committed alone, a crash before that left the header's amounts behind its lines.
    const bool lineOfSavedTicket =
        run().ticketEntryMode == QStringLiteral("Felvásárlási jegy módositás");
    const bool written = runWrite(
        app(), QStringLiteral("Hiba105: az INSERT vagy UPDATE közben a terméksorban!"),
        add ? QStringLiteral("Hiba103: Új, INSERT a fjsorban ")
            : QStringLiteral("Hiba104: Módosit, UPDATE a fjsorban "),
        [&] {
            Query& q = data().query(add ? "ZQ20" : "ZQ21");
            q.close();
            q.clearSql();
            if (add) {
                q.addSql(QStringLiteral(
                    "INSERT INTO Fjsor ( s_bszam, s_termekkod, s_megnevezes, s_vtsz, "
                    "s_brutto, s_megy,"));
                q.addSql(
                    QStringLiteral("s_ear, s_kompmerteke, s_akod, s_levonszaz, s_bizonylat )"));
                q.addSql(QStringLiteral(
                    "VALUES ( :p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, :p10, :p11 )"));
            } else {
                q.addSql(QStringLiteral(
                    "UPDATE Fjsor SET ID_fjsor = :p0, s_bszam = :p1, s_termekkod = :p2, "
                    "s_megnevezes = :p3,"));
                q.addSql(
                    QStringLiteral("s_vtsz = :p4, s_brutto = :p5, s_megy = :p6, s_ear = "
                                   ":p7, s_kompmerteke = :p8,"));
                q.addSql(QStringLiteral(
                    "s_akod = :p9, s_levonszaz = :p10, s_bizonylat = :p11 WHERE ID_fjsor = :p0"));
                q.bindText("p0", lineId);
            }
            q.bindText("p1", text("S_BSZAM"));
            q.bindText("p2", text("S_TERMEKKOD"));
            q.bindText("p3", text("S_MEGNEVEZES"));
            q.bindText("p4", text("S_VTSZ"));
            q.bindNumber("p5", text("S_BRUTTO"));
            q.bindText("p6", text("S_MEGY"));
            q.bindNumber("p7", text("S_EAR"));
            q.bindNumber("p8", text("S_KOMPMERTEKE"));
            q.bindText("p9", run().buyerCode);
            q.bindNumber("p10", weightDeduction);
            q.bindText("p11", text("S_BIZONYLAT"));
            q.execSql();
        },
        !lineOfSavedTicket);
    // The ticket's lines come back whatever happened (a rollback closes them); a failed write
    // keeps this screen open with the typed line.
    reloadLines(lineId);
    if (written) accept();
}

void TForm10::reloadLines(const QString& lineId) {
    Query& lines = data().query("ZQ20");
    lines.close();
    lines.clearSql();
    lines.addSql(QStringLiteral("SELECT * FROM FjSor WHERE s_Bszam= :p1 ORDER BY ID_fjsor"));
    lines.bindText("p1", m_fields.value("S_BSZAM")->text());
    lines.open();
    // A new line has no ID yet: it is the last one in ID order.
    if (lineId.isEmpty()) {
        lines.last();
    } else {
        lines.locate(QStringLiteral("ID_fjsor"), lineId, false, false);
    }
    Query& producer = data().query("ZQ31");
    producer.close();
    producer.clearSql();
    producer.addSql(QStringLiteral("SELECT * FROM ostermelo WHERE o_kod = :p1"));
    producer.bindText("p1", m_ticket.producerCode ? m_ticket.producerCode() : QString());
    producer.open();
}
