#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "core/list_screen.h"

class DateChoice;
struct ReadRows;

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
    // Every line of the period on a ticket of the buyer or written for it, sorted by producer
    // and then as each producer prints its lines.
    QString periodLinesSql();

    PeriodFields* m_period = nullptr;
    DateChoice* m_dateChoice = nullptr;
    QString m_total = QStringLiteral("0");
    // The printed lines as collected, and for each producer row of the grid the range of its
    // lines among them.
    std::shared_ptr<const ReadRows> m_lines;
    std::vector<std::pair<size_t, size_t>> m_groups;
};
