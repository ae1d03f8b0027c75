#include "lists/list_support.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>

#include "core/query.h"

DateChoice::DateChoice(QWidget* parent, QBoxLayout* layout) : QObject(parent) {
    auto* box = new QGroupBox(QStringLiteral("Dátum ?"), parent);
    auto* row = new QHBoxLayout(box);
    m_payment = new QRadioButton(QStringLiteral("Fizetési dátum"), box);
    m_purchase = new QRadioButton(QStringLiteral("Felvásárlási dátum"), box);
    auto* group = new QButtonGroup(box);
    group->addButton(m_payment);
    group->addButton(m_purchase);
    m_payment->setChecked(true);
    row->addWidget(m_payment);
    row->addWidget(m_purchase);
    row->addStretch();
    layout->addWidget(box);
    connect(m_purchase, &QRadioButton::toggled, this, [this] { Q_EMIT changed(); });
}

bool DateChoice::purchaseDate() const {
    return m_purchase->isChecked();
}

QString DateChoice::column() const {
    return purchaseDate() ? QStringLiteral("f_felvkelt") : QStringLiteral("f_fizkelt");
}

QString DateChoice::printed() const {
    return purchaseDate() ? QStringLiteral("Felvásárlási ") : QStringLiteral("Fizetési ");
}

ScopedUserDatasets::~ScopedUserDatasets() {
    for (const QString& name : m_names) m_data.userDatasets().erase(name);
}

void ScopedUserDatasets::set(const QString& name, UserDataset routines) {
    m_data.userDatasets()[name] = std::move(routines);
    m_names << name;
}

void bindKey(Query& query, const QString& name, const Value& key) {
    if (key.isNull()) {
        query.bindNull(name);
    } else {
        query.bindText(name, key.asText());
    }
}

UserDataset queryRoutines(Query& query) {
    return {[&query] {
                if (query.active()) query.first();
            },
            [&query] {
                if (query.active()) query.next();
            },
            [&query] { return !query.active() || query.eof(); }};
}
