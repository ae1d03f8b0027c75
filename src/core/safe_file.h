#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// A file written for the user: the bytes go to a temporary file in the target folder, which
// replaces the target only when everything was written. A failure leaves the previous file as it
// was and no half file behind. Long exports write in pieces; small files in one call.
class SafeFile {
public:
    explicit SafeFile(const QString& path);
    ~SafeFile();  // an uncommitted temporary file is discarded

    // False (with errorText()) when the temporary file cannot be created.
    bool open();
    // Appends; a failed write is remembered and reported by commit().
    void write(const QByteArray& bytes);
    // Replaces the target; false (with errorText()) when anything failed on the way.
    bool commit();
    QString errorText() const { return m_error; }

private:
    QSaveFile m_file;
    QString m_error;
    bool m_failed = false;
};

// Writes `bytes` to `path` through SafeFile; "" on success, else the reason.
QString writeFileSafely(const QString& path, const QByteArray& bytes);
