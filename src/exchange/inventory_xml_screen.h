#pragma once

#include "core/screen.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableView;

// "Adatátadás a készlethez": writes the buyer's purchased ticket lines of a period as the
// inventory transfer XML and copies it to where the inventory program picks it up.
class TForm41 : public Screen {
    Q_OBJECT
public:
    explicit TForm41(App& app, QWidget* parent = nullptr);

protected:
    void onShow() override;

private:
    void collect();
    void transfer();

    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLineEdit* m_target = nullptr;
    QTableView* m_grid = nullptr;
    QPushButton* m_collect = nullptr;
    QPushButton* m_transfer = nullptr;
    QPushButton* m_cancel = nullptr;
    // Whether the last collection wrote the file whole: only such a file is handed over.
    bool m_written = false;
};
