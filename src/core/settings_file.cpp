#include "core/settings_file.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>

#include "core/run_values.h"
#include "core/win1250.h"

namespace settings {

QString filePath(const QString& programPath, const QString& fileName) {
    const qsizetype nameStart = programPath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype slash = programPath.lastIndexOf(QLatin1Char('\\')) + 1;
    const qsizetype dot = programPath.lastIndexOf(QLatin1Char('.'));
    if (dot < std::max(nameStart, slash)) return programPath + fileName;
    return programPath.left(dot) + fileName;
}

QString programPath(const RunValues& run) {
    return run.programFile.isEmpty() ? QCoreApplication::applicationFilePath() : run.programFile;
}

std::map<QString, QString> readSection(const QString& path, const QString& section) {
    std::map<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return values;
    const QString text = win1250::decode(file.readAll());
    bool inSection = false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            inSection = close > 0 &&
                        line.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inSection || eq <= 0) continue;
        const QString key = line.left(eq).trimmed().toLower();
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 &&
            (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
            value.back() == value.front()) {
            value = value.mid(1, value.size() - 2);
        }
        if (values.find(key) == values.end()) values.emplace(key, value);  // the first one counts
    }
    return values;
}

}  // namespace settings
