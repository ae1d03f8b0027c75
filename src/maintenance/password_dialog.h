#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// "Jelszó": asks for the access code of the table editor.
class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget* parent = nullptr);

    QString code() const;
    // True only when the dialog was accepted ("OK", or Enter, which presses it); "Mégsem",
    // Escape and the close box never confirm, whatever the text.
    bool confirmed() const { return m_confirmed; }
    void done(int result) override;

private:
    QLineEdit* m_password = nullptr;
    bool m_cancelPressed = false;
    bool m_confirmed = false;
};
