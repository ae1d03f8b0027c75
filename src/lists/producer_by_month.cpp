#include "lists/producer_by_month.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/query.h"
#include "core/report_request.h"
#include "core/widgets.h"
#include "registers/producer_list.h"

namespace {
const QList<GridColumn> gridColumns = {
    {"ho", "Hó", 40},
    {"s_megnevezes", "Megnevezés", 200},
    {"v_menny", "Mennyiség", 90},
    {"v_atlar", "Átlagár", 80},
    {"v_felvar", "Felvásárlási ár", 110},
    {"v_felar", "Komp.felár", 90},
    {"v_vetelar", "Kifizetett", 110},
};

const FieldSpec totalFields[] = {
    {"Felvásárlási ár:", "v_far", 0, nullptr, "0", nullptr, true},
    {"Komp.felár:", "v_kar", 0, nullptr, "0", nullptr, true},
    {"Kifiz.:", "v_var", 0, nullptr, "0", nullptr, true},
};
}  // namespace

TForm30::TForm30(App& app, QWidget* parent)
    : ListScreen(app, QStringLiteral("TForm30"),
                 QStringLiteral("Egy östermelö havi bontásban termékenként "),
                 app.data().query("ZQ11"), gridColumns, parent) {
    auto* producer = new QGridLayout;
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("producerName"));
    m_name->setToolTip(QStringLiteral("A kezdö betü(k) beírása a gyorsabb kereséshez"));
    auto* choose = new QPushButton(QStringLiteral("Őstermelő"), this);
    choose->setAutoDefault(false);
    choose->setToolTip(QStringLiteral("Személyek megjelenitése"));
    producer->addWidget(m_name, 0, 0);
    producer->addWidget(choose, 0, 1);
    const auto readOnly = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        return e;
    };
    m_chosenName = readOnly("O_NEV");
    m_address = readOnly("address");
    m_birth = readOnly("birthData");
    m_code = readOnly("O_KOD");
    m_code->setMaximumWidth(70);
    producer->addWidget(m_chosenName, 1, 0);
    producer->addWidget(m_code, 1, 1);
    producer->addWidget(m_address, 2, 0, 1, 2);
    producer->addWidget(m_birth, 3, 0, 1, 2);
    choices()->addLayout(producer);

    auto* totals = new QHBoxLayout;
    auto* totalGrid = new QGridLayout;
    int column = 0;
    for (const FieldSpec& spec : totalFields) {
        QLineEdit* e = addField(totalGrid, 0, column, spec);
        column += 2;
        if (!m_purchase) {
            m_purchase = e;
        } else if (!m_surcharge) {
            m_surcharge = e;
        } else {
            m_paid = e;
        }
    }
    totals->addLayout(totalGrid);
    totals->addStretch();
    choices()->addLayout(totals);

    m_detailed = new QCheckBox(QStringLiteral("Részletezö lista"), this);
    m_detailed->setObjectName(QStringLiteral("detailed"));
    m_detailed->setToolTip(QStringLiteral("A listában f.jegy tételsoronkénti megjelenítése."));
    choices()->addWidget(m_detailed);
    choices()->addWidget(
        new QLabel(QStringLiteral("Csoportositás: A felvásárlás dátum hónapja alapján"), this));
    choices()->addWidget(
        new QLabel(QStringLiteral("Átlagár: nettó felvásárlási ár osztva mennyiséggel"), this));

    collectButton()->setEnabled(false);
    onClick(choose, [this] { chooseProducer(); });
    connect(m_detailed, &QCheckBox::clicked, this, [this] { invalidate(); });
}

void TForm30::onShow() {
    rows().close();
}

void TForm30::chooseProducer() {
    Query& producers = data().query("ZQ30");
    producers.close();
    producers.setSql(QStringLiteral("SELECT * FROM ostermelo ORDER BY o_Nev"));
    producers.open();
    producers.locate(QStringLiteral("O_NEV"), m_name->text(), true, true);
    run().rememberedProducerCode = producers.text(QStringLiteral("O_KOD"));
    TForm4 list(app());
    openModal(list);
    if (!producers.active() || producers.isEmpty()) return;

    const QString name = producers.text(QStringLiteral("O_NEV"));
    const QString address = producers.text(QStringLiteral("O_IRSZAM")) + QStringLiteral("  ") +
                            producers.text(QStringLiteral("O_HELYSEGNEV")) + QStringLiteral("  ") +
                            producers.text(QStringLiteral("O_UTCA"));
    const QString birth = QStringLiteral("Szül.idö: ") + producers.text(QStringLiteral("O_SZIDO")) +
                          QStringLiteral("  Anyja neve: ") +
                          producers.text(QStringLiteral("O_ANYJA"));
    m_name->setText(name);
    m_chosenName->setText(name);
    m_address->setText(address);
    m_birth->setText(birth);
    m_code->setText(producers.text(QStringLiteral("O_KOD")));
    QVariantMap& v = data().reportVariables();
    v[QStringLiteral("v_nev")] = name;
    v[QStringLiteral("v_cim")] = address;
    v[QStringLiteral("v_szido")] = birth;
    invalidate();
    collectButton()->setEnabled(true);
}

void TForm30::collect() {
    Query& q = rows();
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("select fjfej.f_ostermkod, sum(fjsor.s_felvar) as v_felvar,"));
    q.addSql(QStringLiteral("       sum(fjsor.s_kompfelar) as v_felar,"));
    q.addSql(QStringLiteral("       sum(fjsor.s_vetelar) as v_vetelar"));
    q.addSql(QStringLiteral("  from fjfej left join fjsor on fjfej.f_bszam = fjsor.s_bszam"));
    q.addSql(QStringLiteral(" WHERE (fjfej.f_ostermkod = :p1) AND (f_akod = :p2)"));
    q.addSql(QStringLiteral(" group by fjfej.f_ostermkod"));
    q.bindText(QStringLiteral("p1"), m_code->text());
    q.bindText(QStringLiteral("p2"), run().buyerCode);
    q.open();
    const QString purchase = ::totalText(q, QStringLiteral("v_felvar"));
    const QString surcharge = ::totalText(q, QStringLiteral("v_felar"));
    const QString paid = ::totalText(q, QStringLiteral("v_vetelar"));
    m_purchase->setText(purchase);
    m_surcharge->setText(surcharge);
    m_paid->setText(paid);
    QVariantMap& v = data().reportVariables();
    v[QStringLiteral("v_far")] = purchase;
    v[QStringLiteral("v_kar")] = surcharge;
    v[QStringLiteral("v_var")] = paid;

    // Every ticket line is a row of its own in the detailed list. The average of a group whose
    // quantity adds up to nothing (a ticket and its voiding) is empty, not a division error.
    const QString line = m_detailed->isChecked() ? QStringLiteral("fjsor.id_fjsor, ") : QString();
    const QString groups = line + QStringLiteral(
                                      "fjfej.f_ostermkod, ostermelo.o_nev, extract(month from "
                                      "fjfej.f_felvkelt), fjsor.s_megnevezes");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("select ") + line +
             QStringLiteral("fjfej.f_ostermkod, ostermelo.o_nev,"));
    q.addSql(
        QStringLiteral("       extract( month from fjfej.f_felvkelt) as ho, "
                       "fjsor.s_megnevezes, sum(fjsor.s_netto) as v_menny,"));
    q.addSql(QStringLiteral("       sum(fjsor.s_felvar) as v_felvar,"));
    q.addSql(
        QStringLiteral("       sum(fjsor.s_felvar)/NULLIF(sum(fjsor.s_netto), 0) as v_atlar,"));
    q.addSql(
        QStringLiteral("       sum(fjsor.s_kompfelar) as v_felar, "
                       "sum(fjsor.s_vetelar) as v_vetelar"));
    q.addSql(QStringLiteral("  from fjfej left join fjsor on fjfej.f_bszam = fjsor.s_bszam"));
    q.addSql(QStringLiteral("  left join ostermelo on fjfej.f_ostermkod = ostermelo.o_kod"));
    q.addSql(QStringLiteral(" WHERE (fjfej.f_ostermkod = :p1) AND (f_akod = :p2)"));
    q.addSql(QStringLiteral(" group by ") + groups);
    q.addSql(QStringLiteral(" order by ") + groups);
    q.bindText(QStringLiteral("p1"), m_code->text());
    q.bindText(QStringLiteral("p2"), run().buyerCode);
    q.open();
    q.last();
}

void TForm30::print() {
    openCurrentBuyer(app());
    reportRequest(app(), ReportComponent::frNyomtat, QStringLiteral("FjLista9.frf"), false);
}
