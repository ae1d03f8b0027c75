#include "tickets/settings_files.h"

#include "core/run_values.h"
#include "core/settings_file.h"

namespace settings {

QStringList form9Keys() {
    return {QStringLiteral("Edit14Visible"), QStringLiteral("Edit14Text"),
            QStringLiteral("Edit15Visible"), QStringLiteral("Edit15Text"),
            QStringLiteral("Edit13Visible"), QStringLiteral("Edit13Text")};
}

QStringList form10Keys() {
    return {QStringLiteral("Edit10Visible"), QStringLiteral("Edit8Text")};
}

namespace {
void readInto(RunValues& run, const QString& fileName, const QString& section,
              const QStringList& keys) {
    const auto values = readSection(filePath(programPath(run), fileName), section);
    for (const QString& key : keys) {
        const auto it = values.find(key.toLower());
        if (it != values.end()) run.entryDefaults[fileName + QLatin1Char('/') + key] = it->second;
    }
}
}  // namespace

void readForm9(RunValues& run) {
    readInto(run, form9, QStringLiteral("Form9"), form9Keys());
}
void readForm10(RunValues& run) {
    readInto(run, form10, QStringLiteral("Form10"), form10Keys());
}

QString value(const RunValues& run, const QString& fileName, const QString& key) {
    const auto it = run.entryDefaults.find(fileName + QLatin1Char('/') + key);
    return it == run.entryDefaults.end() ? QString() : it->second;
}

}  // namespace settings
