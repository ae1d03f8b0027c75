#pragma once

#include "core/screen.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Két import összevonása": merges the declaration import files of two machines ("A" and "B")
// producer by producer.
class TForm24 : public Screen {
    Q_OBJECT
public:
    explicit TForm24(App& app, QWidget* parent = nullptr);

    // A folder choice changed: refreshes that side's list and warns as the merge would refuse.
    void folderChanged(bool sideA);
    void merge();  // "Összevonás"

protected:
    void onShow() override;

private:
    void refreshLists();

    QLineEdit* m_folderA = nullptr;
    QLineEdit* m_folderB = nullptr;
    QListWidget* m_filesA = nullptr;
    QListWidget* m_filesB = nullptr;
    QListWidget* m_both = nullptr;
    QLabel* m_before = nullptr;
    QLabel* m_after = nullptr;
    QPushButton* m_merge = nullptr;
};
