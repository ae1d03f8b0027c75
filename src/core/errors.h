#pragma once

#include <QString>
#include <stdexcept>

// An error whose own text reaches the user through the general error display.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// A failure reported by the database; carries the server's text.
class DbError : public AppError {
public:
    using AppError::AppError;
};

// The database file named at attach does not exist.
class DatabaseMissing : public DbError {
public:
    using DbError::DbError;
};

// The server refused the login (unknown user or wrong password); carries the server's text.
class LoginRefused : public DbError {
public:
    using DbError::DbError;
};

// The user chose "Kilépés" at the server login: the program ends without a further message.
class LoginCancelled : public AppError {
public:
    LoginCancelled() : AppError(QStringLiteral("A bejelentkezés megszakítva.")) {}
};

// A text that does not convert to the number or date a step needs.
class ConversionError : public AppError {
public:
    using AppError::AppError;
};

// A write the program refuses for a reason the user can act on (a document number another buyer
// issued meanwhile): runWrite shows this text instead of its numbered failure message.
class WriteRefused : public AppError {
public:
    using AppError::AppError;
};

// The text of any exception, for the general error display.
QString errorText(const std::exception& e);
