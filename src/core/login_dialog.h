#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

// The login to a database on a Firebird server, asked at start: user name and password (the
// password masked, never stored). After a refused login it shows the server's reason; "Belépés"
// tries again, "Kilépés" ends the program.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    LoginDialog(const QString& database, const QString& user, const QString& refusal,
                QWidget* parent = nullptr);

    QString user() const;
    QString password() const;

private:
    QLineEdit* m_user;
    QLineEdit* m_password;
};
