#pragma once

#include <QString>
#include <memory>

#include "core/list_screen.h"

class DateChoice;
struct ReadRows;

// Per-product list "Termékenkénti lista": quantity and purchase price per product name over the
// period, then the lines of each product, printed as FjLista5.
class TForm13 : public ListScreen {
    Q_OBJECT
public:
    explicit TForm13(App& app, QWidget* parent = nullptr);

    QString totalText() const { return m_total; }

protected:
    void onShow() override;
    void collect() override;
    void print() override;

private:
    void periodChanged();
    // The lines of the current product of ZQ20 into ZQ21.
    void openProductLines();
    // Every line of the period, sorted by product and then as each product prints its lines.
    QString periodLinesSql();

    PeriodFields* m_period = nullptr;
    DateChoice* m_dateChoice = nullptr;
    QString m_total = QStringLiteral("0");
    // The period's lines as collected, for the print.
    std::shared_ptr<const ReadRows> m_lines;
};
