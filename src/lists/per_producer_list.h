#pragma once

#include <QString>

#include "core/list_screen.h"

class DateChoice;

// Per-producer list "Östermelönkénti lista": purchase price per producer over the period, then
// the lines of each producer, printed as FjLista8.
class TForm19 : public ListScreen {
    Q_OBJECT
public:
    explicit TForm19(App& app, QWidget* parent = nullptr);

    QString totalText() const { return m_total; }

protected:
    void onShow() override;
    void collect() override;
    void print() override;

private:
    void periodChanged();

    PeriodFields* m_period = nullptr;
    DateChoice* m_dateChoice = nullptr;
    QString m_total = QStringLiteral("0");
};
