#include "registers/product_entry.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/errors.h"
#include "core/widgets.h"
#include "core/write.h"
#include "registers/product_list.h"
#include "registers/register_codes.h"

namespace {
const char* const amount = "0123456789,";

const FieldSpec productFields[] = {
    {"ID", "ID_TERMEK", 0, nullptr, nullptr, nullptr, true},
    {"Kód", "T_KOD", 0, "0123456789"},
    {"Megnevezés", "T_MEGNEVEZES", 75},
    {"VTSZ", "T_VTSZ", 10},
    {"Egységár", "T_EAR", 0, amount, "0"},
    {"Menny.egység", "T_MEGY", 10},
    {"Komp.mértéke", "T_KOMPMERTEKE", 0, amount, "12,00"},
    {"Tételszám", "T_BIZONYLAT", 10, amount},
};

bool blank(const QString& text) {
    return text.trimmed().isEmpty();
}
}  // namespace

TForm7::TForm7(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm7"), QStringLiteral("Termék"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    QList<QWidget*> order;
    for (const FieldSpec& spec : productFields) {
        QLineEdit* edit = addField(form, spec);
        m_fields.insert(edit->objectName(), edit);
        order << edit;
    }
    // The item number is kept with the product but not shown.
    form->setRowVisible(field(QStringLiteral("T_BIZONYLAT")), false);
    enableEnterNavigation(order);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setMinimumWidth(380);
    onClick(ok, [this] { save(); });
    onClick(cancel, [this] { reject(); });
}

bool TForm7::newMode() {
    return run().productEntryMode != QStringLiteral("Termék módositás");
}

void TForm7::onShow() {
    if (newMode()) proposeCode();
}

void TForm7::proposeCode() {
    field(QStringLiteral("T_KOD"))
        ->setText(
            proposedCode(data().query("ZQ41"), QStringLiteral("termek"), QStringLiteral("t_kod")));
}

bool TForm7::load() {
    const QString failed =
        QStringLiteral("Hiba71 az őstermelő módosítás Edit-ben való megjelenitésekor!");
    const bool loaded = guardQuietly(failed, [this] {
        setWindowTitle(run().productEntryMode);
        const Query& q = data().query("ZQ40");
        for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
            it.value()->setText(q.text(it.key()));
        }
    });
    if (!loaded) ui().message(failed);
    return loaded;
}

bool TForm7::refuse(const QString& message, QWidget* input) {
    ui().message(message);
    ui().focus(input);
    return false;
}

bool TForm7::validate() {
    const std::pair<const char*, const char*> required[] = {
        {"T_KOD", "Nincs megadva a kód!"},
        {"T_MEGNEVEZES", "Nincs megadva a megnevezés!"},
        {"T_EAR", "Nincs megadva a mennyiség!"},
        {"T_MEGY", "Nincs megadva a mennyiség egység!"},
        {"T_KOMPMERTEKE", "Nincs megadva a komp.mérték!"},
    };
    for (const auto& [column, message] : required) {
        QLineEdit* input = field(QString::fromLatin1(column));
        if (blank(input->text())) return refuse(QString::fromUtf8(message), input);
    }
    return true;
}

bool TForm7::codeTaken() {
    // Codes of different lengths can make the proposal repeat an existing code; two products
    // under one code would be mixed on every ticket line.
    // A pasted code longer than any stored one cannot be taken; its insert is then refused with
    // the write's own message.
    constexpr int longestCompared = 100;
    if (field(QStringLiteral("T_KOD"))->text().size() > longestCompared) return false;
    Query& q = data().query("ZQ41");
    q.close();
    q.setSql(QStringLiteral(
        "SELECT count(*) AS db FROM termek WHERE t_kod = CAST(:p1 AS VARCHAR(100))"));
    q.bindText(QStringLiteral("p1"), field(QStringLiteral("T_KOD"))->text());
    q.open();
    return q.integer(QStringLiteral("db")) > 0;
}

void TForm7::writeRow(bool insert) {
    Query& q = data().query("ZQ41");
    q.close();
    q.clearSql();
    if (insert) {
        q.addSql(
            QStringLiteral("INSERT INTO termek ( t_kod, t_megnevezes, t_VTSZ, t_Ear, t_megy, "
                           "t_Kompmerteke, t_bizonylat ) "));
        q.addSql(QStringLiteral("VALUES (:p1, :p2, :p3, :p4, :p5, :p6, :p7)"));
    } else {
        for (const char* line :
             {"UPDATE termek", "SET t_kod = :p1,", "t_megnevezes = :p2,", "t_VTSZ = :p3,",
              "t_Ear = :p4,", "t_megy = :p5,", "t_Kompmerteke = :p6,", "t_bizonylat = :p7",
              "WHERE ID_termek = :p0"}) {
            q.addSql(QString::fromLatin1(line));
        }
        q.bindText(QStringLiteral("p0"), field(QStringLiteral("ID_TERMEK"))->text());
    }
    q.bindText(QStringLiteral("p1"), field(QStringLiteral("T_KOD"))->text());
    q.bindText(QStringLiteral("p2"), field(QStringLiteral("T_MEGNEVEZES"))->text());
    q.bindText(QStringLiteral("p3"), field(QStringLiteral("T_VTSZ"))->text());
    q.bindNumber(QStringLiteral("p4"), field(QStringLiteral("T_EAR"))->text());
    q.bindText(QStringLiteral("p5"), field(QStringLiteral("T_MEGY"))->text());
    q.bindNumber(QStringLiteral("p6"), field(QStringLiteral("T_KOMPMERTEKE"))->text());
    q.bindText(QStringLiteral("p7"), field(QStringLiteral("T_BIZONYLAT"))->text());
    q.execSql();
}

void TForm7::save() {
    if (!textsStorable() || !validate()) return;
    const bool insert = newMode();
    if (insert && codeTaken()) {
        refuse(QStringLiteral("A(z) \"%1\" kódú termék már létezik, az új termék nem rögzíthető!")
                   .arg(field(QStringLiteral("T_KOD"))->text()),
               field(QStringLiteral("T_KOD")));
        return;
    }
    if (!numbersValid({field(QStringLiteral("T_EAR")), field(QStringLiteral("T_KOMPMERTEKE"))}))
        return;
    const bool written =
        runWrite(app(), QStringLiteral("Hiba74: az append vagy edit közben a termékben!"),
                 insert ? QStringLiteral("Hiba72: Újban, INSERT  a termékben ")
                        : QStringLiteral("Hiba73: Módositásban, UPDATE a termékben "),
                 [this, insert] {
                     writeRow(insert);
                     run().productNamePrefix = field(QStringLiteral("T_KOD"))->text();
                 });
    TForm6::reload(app(), QStringLiteral("T_KOD"));
    Q_EMIT orderLineChanged(QStringLiteral("Termék lista, \"Megnevezés\" szerint"));
    if (written) accept();  // a failed write keeps the screen open with what was typed
}
