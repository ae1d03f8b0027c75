#include "core/safe_file.h"

#include <QDir>
#include <QFileInfo>

SafeFile::SafeFile(const QString& path) : m_file(path) {
    // Renaming over the target needs no write access to the old file's contents, only to its
    // folder; a file the user made read-only stays protected.
    m_file.setDirectWriteFallback(false);
}

SafeFile::~SafeFile() = default;  // QSaveFile discards an uncommitted temporary file

bool SafeFile::open() {
    m_failed = false;
    m_error.clear();
    if (!QFileInfo(QFileInfo(m_file.fileName()).absolutePath()).isDir()) {
        m_error = QStringLiteral("A mappa nem létezik: %1")
                      .arg(QDir::toNativeSeparators(QFileInfo(m_file.fileName()).absolutePath()));
        m_failed = true;
        return false;
    }
    if (!m_file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("A fájl nem írható: %1 (%2)")
                      .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString());
        m_failed = true;
        return false;
    }
    return true;
}

void SafeFile::write(const QByteArray& bytes) {
    if (m_failed || !m_file.isOpen()) return;
    if (m_file.write(bytes) != bytes.size()) {
        m_failed = true;
        m_error = QStringLiteral("A fájl írása nem sikerült: %1 (%2)")
                      .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString());
    }
}

bool SafeFile::commit() {
    if (!m_file.isOpen()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("A fájl nincs megnyitva: %1")
                          .arg(QDir::toNativeSeparators(m_file.fileName()));
        return false;
    }
    if (m_failed) {
        m_file.cancelWriting();
        m_file.commit();  // discards the temporary file
        return false;
    }
    if (!m_file.commit()) {
        m_error = QStringLiteral("A fájl mentése nem sikerült: %1 (%2)")
                      .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString());
        return false;
    }
    return true;
}

QString writeFileSafely(const QString& path, const QByteArray& bytes) {
    SafeFile file(path);
    if (!file.open()) return file.errorText();
    file.write(bytes);
    if (!file.commit()) return file.errorText();
    return {};
}
