#pragma once

#include "core/screen.h"

class QFileSystemModel;
class QLineEdit;
class QTreeView;

// "Adatok elküldése  emailben": finds the database file in a chosen folder and opens a new mail
// to the maker's support; the user attaches the file by hand.
class TForm27 : public Screen {
    Q_OBJECT
public:
    explicit TForm27(App& app, QWidget* parent = nullptr);

    // The mailto link of "Küldés2".
    static QString mailLink();
    // Looks for "termaro.fdb" (any case) in `folder` and shows it in Edit1 ("" when none).
    void chooseFolder(const QString& folder);

protected:
    void onShow() override;

private:
    QFileSystemModel* m_folders = nullptr;
    QTreeView* m_tree = nullptr;  // DirectoryListBox1
    QLineEdit* m_file = nullptr;  // Edit1
};
