#include "lists/contract_print.h"

#include <QGridLayout>
#include <QGroupBox>
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
struct ContractField {
    const char* caption;
    const char* unit;
    const char* variable;  // also the input's name
};
const ContractField contractFields[] = {
    {"Sorszám:", "", "v_szam"},
    {"Terület hrsz", "", "v_hrsz"},
    {"Terület nagysága", "", "v_ter"},
    {"Helyrevetett", "Ha", "v_helyre"},
    {"Palántázott", "Ha", "v_pal"},
    {"Szerződött mennyiség ", "t", "v_szmenny"},
    {"Fémzárolt vetőmag", "kg", "v_femz"},
    {"Telefon", "", "v_tel"},
    {"Év", "", "v_ev"},
    {"Teljesítési hat.idö", "", "v_that"},
};

QPushButton* makeButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}
}  // namespace

TForm33::TForm33(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm33"), QStringLiteral("Szerzödés nyomtatás"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* producerBox = new QGroupBox(QStringLiteral("Őstermelő adatai:"), this);
    auto* producerRow = new QHBoxLayout(producerBox);
    auto* choose = makeButton(QStringLiteral("Őstermelő"), this);
    m_producer = new QLabel(producerBox);
    m_producer->setObjectName(QStringLiteral("producerData"));
    m_producer->setWordWrap(true);
    producerRow->addWidget(choose);
    producerRow->addWidget(m_producer, 1);
    layout->addWidget(producerBox);

    auto* grid = new QGridLayout;
    int row = 0;
    QList<QWidget*> order;
    for (const ContractField& f : contractFields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(f.variable));
        edit->setAccessibleName(QString::fromUtf8(f.caption));
        auto* label = new QLabel(QString::fromUtf8(f.caption), this);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(f.unit), this), row, 2);
        m_fields << edit;
        order << edit;
        ++row;
    }
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto* print = makeButton(QStringLiteral("Nyomtatás"), this);
    auto* cancel = makeButton(QStringLiteral("Mégsem"), this);
    buttons->addWidget(print);
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    order << print;
    enableEnterNavigation(order);

    onClick(choose, [this] { chooseProducer(); });
    onClick(print, [this] { this->print(); });
    onClick(cancel, [this] { reject(); });
}

void TForm33::chooseProducer() {
    TForm4 list(app());
    openModal(list);
    Query& producers = data().query("ZQ30");
    if (!producers.active() || producers.isEmpty()) return;
    m_producerCode = producers.text(QStringLiteral("O_KOD"));
    m_producer->setText(producers.text(QStringLiteral("O_NEV")) + '\n' +
                        producers.text(QStringLiteral("O_IRSZAM")) + ' ' +
                        producers.text(QStringLiteral("O_HELYSEGNEV")) + ' ' +
                        producers.text(QStringLiteral("O_UTCA")));
}

void TForm33::print() {
    if (m_producerCode.isEmpty()) return;
    // The template reads the producer from ZQ30; the list may have moved since the choice.
    Query& producers = data().query("ZQ30");
    if (!producers.active() || producers.text(QStringLiteral("O_KOD")) != m_producerCode) {
        TForm4::reload(app());
        producers.locate(QStringLiteral("O_KOD"), m_producerCode, false, false);
    }
    openCurrentBuyer(app());  // the buyer's side of the contract
    QVariantMap& v = data().reportVariables();
    for (int i = 0; i < m_fields.size(); ++i) {
        v[QString::fromLatin1(contractFields[i].variable)] = m_fields.at(i)->text();
    }
    reportRequest(app(), ReportComponent::frNyomtat, QStringLiteral("FjSzerzodes.frf"), false);
}
