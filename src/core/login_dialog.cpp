#include "core/login_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LoginDialog::LoginDialog(const QString& database, const QString& user, const QString& refusal,
                         QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("LoginDialog"));
    setWindowTitle(QStringLiteral("Bejelentkezés"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* where = new QLabel(database, this);
    where->setObjectName(QStringLiteral("database"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("Adatbázis:"), where);
    m_user = new QLineEdit(user, this);
    m_user->setObjectName(QStringLiteral("user"));
    form->addRow(QStringLiteral("Felhasználó:"), m_user);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Jelszó:"), m_password);
    layout->addLayout(form);

    auto* reason = new QLabel(refusal, this);
    reason->setObjectName(QStringLiteral("refusal"));
    reason->setWordWrap(true);
    reason->setStyleSheet(QStringLiteral("color: #b00000;"));
    reason->setVisible(!refusal.isEmpty());
    layout->addWidget(reason);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* login = new QPushButton(QStringLiteral("Belépés"), this);
    login->setDefault(true);
    auto* quit = new QPushButton(QStringLiteral("Kilépés"), this);
    quit->setAutoDefault(false);
    buttons->addWidget(login);
    buttons->addWidget(quit);
    layout->addLayout(buttons);
    connect(login, &QPushButton::clicked, this, &QDialog::accept);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    // After a refusal the user name is usually right: the password is what to type again.
    (user.isEmpty() ? m_user : m_password)->setFocus();
}

QString LoginDialog::user() const {
    return m_user->text().trimmed();
}

QString LoginDialog::password() const {
    return m_password->text();
}
