#pragma once

#include <QString>
#include <QStringList>

#include "core/screen.h"

class QVBoxLayout;

// One schema change of an upgrade: its statement and the numbered messages for a transaction
// that cannot start and for a statement or commit that fails.
struct UpgradeStep {
    QString statement;
    QString startMessage;
    QString writeMessage;
};

// Whether the producer table has `column`, read from the result columns of "SELECT * FROM
// ostermelo" on the pool query `probeQuery`.
bool producerHasColumn(App& app, const QString& probeQuery, const QString& column);

// Creates `domain` with its type from the current schema when the database lacks it, so an
// older database gets what the column it is about to receive needs. Throws on failure.
void ensureDomain(App& app, const QString& domain);

// The character width of a text domain (0 when the domain does not exist).
int domainWidth(App& app, const QString& domain);

// Runs one step through the write path on `query`; false (its message shown, rolled back) when
// it failed. A failed step stops the whole upgrade: nothing after it runs.
bool runUpgradeStep(App& app, const QString& query, const UpgradeStep& step);

// The screen shared by the upgrades: their text lines, "Módosítás végrehajtása" and, where
// the screen has one, "Mégsem".
class UpgradeScreen : public Screen {
    Q_OBJECT
public:
    UpgradeScreen(App& app, const QString& className, const QString& caption,
                  const QStringList& lines, bool withCancel, QWidget* parent = nullptr);

protected:
    virtual void runUpgrade() = 0;
    void finished();  // "Módositás végrehajtva."
};
