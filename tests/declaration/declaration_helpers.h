#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <ostream>

#include "core/clock.h"
#include "core/query.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace declaration_test {

// The machine's "C:" drive in a folder of the test's own, restored afterwards.
class CDrive {
public:
    CDrive() : m_previous(qgetenv("TERMARO_C_DRIVE")) {
        qputenv("TERMARO_C_DRIVE", m_dir.path().toLocal8Bit());
    }
    ~CDrive() {
        if (m_previous.isEmpty())
            qunsetenv("TERMARO_C_DRIVE");
        else
            qputenv("TERMARO_C_DRIVE", m_previous);
    }
    QString path(const QString& relative) const { return m_dir.path() + '/' + relative; }
    QString makeFolder(const QString& relative) const {
        QDir().mkpath(path(relative));
        return path(relative);
    }

private:
    QByteArray m_previous;
    QTemporaryDir m_dir;
};

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// Every file of a folder with its bytes: a folder "left as it was" compares equal.
inline std::map<QString, QByteArray> snapshot(const QString& folder) {
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[name] = readBytes(QDir(folder).filePath(name));
    return files;
}

inline QPushButton* button(QWidget& screen, const QString& caption) {
    for (QPushButton* b : screen.findChildren<QPushButton*>()) {
        if (b->text() == caption) return b;
    }
    throw std::runtime_error(("no button " + caption).toStdString());
}

// The importer's rules for an import file: no byte-order mark, CR LF after every line and
// nowhere else, the "$" header lines first, no more data lines than "$sorok_száma" says, and
// only bytes ISO-8859-2 gives a printable character. Returns "" or what is wrong.
inline QString importerProblem(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return "byte-order mark";
    if (!bytes.isEmpty() && !bytes.endsWith("\r\n")) return "no CR LF after the last line";
    const QList<QByteArray> lines =
        bytes.isEmpty() ? QList<QByteArray>{} : bytes.chopped(1).split('\n');
    bool header = true;
    int declared = -1;
    int data = 0;
    for (const QByteArray& raw : lines) {
        if (!raw.endsWith('\r')) return "a line without CR LF";
        const QByteArray line = raw.chopped(1);
        for (char c : line) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b == 0x7F || (b >= 0x80 && b < 0xA0))
                return QString("control byte %1").arg(b);
        }
        if (!line.contains('=')) return "a line without =";
        if (line.startsWith('$')) {
            if (!header) return "a header line after the data";
            if (line.startsWith("$sorok_sz\xE1ma=")) declared = line.mid(13).toInt();
        } else {
            header = false;
            ++data;
        }
    }
    if (declared >= 0 && data > declared)
        return QString("%1 data lines, %2 declared").arg(data).arg(declared);
    return {};
}

// Checks every ".imp" file of a folder against the importer's rules.
inline void expectImportable(const QString& folder) {
    for (const QString& name : QDir(folder).entryList({"*.imp"}, QDir::Files))
        EXPECT_EQ(importerProblem(readBytes(QDir(folder).filePath(name))), QString())
            << name.toStdString();
}

// Text as the files carry it.
inline QByteArray latin2(const char* utf8) {
    QByteArray out;
    for (QChar c : QString::fromUtf8(utf8)) {
        static const std::map<char16_t, char> letters = {
            {u'á', '\xE1'}, {u'é', '\xE9'}, {u'í', '\xED'}, {u'ó', '\xF3'}, {u'ö', '\xF6'},
            {u'ő', '\xF5'}, {u'ú', '\xFA'}, {u'ü', '\xFC'}, {u'ű', '\xFB'}, {u'Á', '\xC1'},
            {u'É', '\xC9'}, {u'Í', '\xCD'}, {u'Ó', '\xD3'}, {u'Ö', '\xD6'}, {u'Ő', '\xD5'},
            {u'Ú', '\xDA'}, {u'Ü', '\xDC'}, {u'Ű', '\xDB'}};
        if (c.unicode() < 0x80)
            out += char(c.unicode());
        else
            out += letters.at(c.unicode());
    }
    return out;
}

}  // namespace declaration_test
