#pragma once

#include <QList>
#include <QString>

#include "core/screen.h"

class Database;
class QCheckBox;
class QLineEdit;

// One table of the text export: its file and statement.
struct TextExportTable {
    const char* caption;
    const char* fileName;
    const char* select;
    const char* from;
};
// The six tables in export order: buyers, producers, numbering, products, headers, lines.
extern const QList<TextExportTable> textExportTables;

// Writes every row of `sql` to `path`, one line per row: each value between colons, the values
// joined by commas, an asterisk and CR LF after the last; Windows-1250, nothing escaped. The file
// replaces an older one only when complete. Returns "" or the reason.
QString writeColonFile(Database& db, const QString& sql, const QString& path);

// Text export ("Adat export"): writes the chosen tables to colon-enclosed text files.
class TForm29 : public Screen {
    Q_OBJECT
public:
    explicit TForm29(App& app, QWidget* parent = nullptr);

private:
    void exportTables();

    QList<QCheckBox*> m_tables;
    QLineEdit* m_folder = nullptr;
};
