#include "maintenance/schema_upgrade.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>

#include "core/write.h"

namespace {
// The domains the upgrades' columns need, as the current schema defines them.
const std::map<QString, QString> domainTypes = {
    {QStringLiteral("SZOVEG20"), QStringLiteral("VARCHAR(20)")},
    {QStringLiteral("D_ERVKELT"), QStringLiteral("DATE")},
    {QStringLiteral("D_BLAP"),
     QStringLiteral("VARCHAR(12) CHARACTER SET WIN1250 COLLATE PXW_HUNDC")},
    {QStringLiteral("D_KAMARA"), QStringLiteral("VARCHAR(20) CHARACTER SET WIN1250")},
};
}  // namespace

bool producerHasColumn(App& app, const QString& probeQuery, const QString& column) {
    Query& q = app.data().query(probeQuery);
    q.close();
    q.setSql(QStringLiteral("SELECT * FROM ostermelo      "));
    q.open();
    const bool found = q.hasField(column);
    q.close();
    return found;
}

int domainWidth(App& app, const QString& domain) {
    Query& q = app.data().query(QStringLiteral("ZQ91"));
    q.close();
    q.setSql(
        QStringLiteral("SELECT COALESCE(RDB$CHARACTER_LENGTH, RDB$FIELD_LENGTH) FROM "
                       "RDB$FIELDS WHERE RDB$FIELD_NAME = :p1"));
    q.bindText(QStringLiteral("p1"), domain);
    q.open();
    const int width = q.isEmpty() ? 0 : static_cast<int>(q.valueAt(0, 0).asInteger());
    q.close();
    return width;
}

void ensureDomain(App& app, const QString& domain) {
    Query& q = app.data().query(QStringLiteral("ZQ91"));
    q.close();
    q.setSql(QStringLiteral("SELECT COUNT(*) FROM RDB$FIELDS WHERE RDB$FIELD_NAME = :p1"));
    q.bindText(QStringLiteral("p1"), domain);
    q.open();
    const bool exists = q.valueAt(0, 0).asInteger() > 0;
    q.close();
    if (exists) return;
    // The name and type come from the fixed table above, never from input.
    q.setSql(QStringLiteral("CREATE DOMAIN %1 AS %2").arg(domain, domainTypes.at(domain)));
    q.execSql();
}

bool runUpgradeStep(App& app, const QString& query, const UpgradeStep& step) {
    return runWrite(app, step.startMessage, step.writeMessage, [&] {
        Query& q = app.data().query(query);
        q.close();
        q.setSql(step.statement);
        q.execSql();
    });
}

UpgradeScreen::UpgradeScreen(App& app, const QString& className, const QString& caption,
                             const QStringList& lines, bool withCancel, QWidget* parent)
    : Screen(app, className, caption, parent) {
    auto* layout = new QVBoxLayout(this);
    for (const QString& line : lines) {
        auto* label = new QLabel(line, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    auto* run = new QPushButton(QStringLiteral("Módosítás végrehajtása"), this);
    layout->addWidget(run);
    onClick(run, [this] { runUpgrade(); });
    if (withCancel) {
        auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
        layout->addWidget(cancel);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
}

void UpgradeScreen::finished() {
    ui().message(QStringLiteral("Módositás végrehajtva."));
}
