#pragma once

#include "core/screen.h"

class QLineEdit;

// "Adatok mentése": a time-stamped, consistent copy of the database in a chosen folder.
class TForm35 : public Screen {
    Q_OBJECT
public:
    explicit TForm35(App& app, QWidget* parent = nullptr);

protected:
    void onShow() override;

private:
    void chooseSource();
    void chooseTarget();
    void save();
    // The time-stamped name of a copy made now: a database file, or a server's backup.
    QString targetFileName();

    QLineEdit* m_source = nullptr;  // Edit1
    QLineEdit* m_target = nullptr;  // Edit2
};
