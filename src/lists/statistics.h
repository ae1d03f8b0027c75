#pragma once

#include "core/list_screen.h"

class QCheckBox;

// "Statisztika": purchases of the year per product name and month (or per product name for the
// whole year), printed as FjLista12 or FjLista13.
class TForm32 : public ListScreen {
    Q_OBJECT
public:
    explicit TForm32(App& app, QWidget* parent = nullptr);

protected:
    void onShow() override;
    void collect() override;
    void print() override;

private:
    QCheckBox* m_yearTotals = nullptr;
    bool m_collectedYearTotals = false;
};
