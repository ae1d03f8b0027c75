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
    // The current producer of ZQ20: its total into ZQ80, its lines into ZQ21.
    void openProducerGroup();

    PeriodFields* m_period = nullptr;
    DateChoice* m_dateChoice = nullptr;
    QString m_total = QStringLiteral("0");
};
