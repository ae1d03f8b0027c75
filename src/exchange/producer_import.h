#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "core/screen.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;

// The text of a producer file: UTF-8 when it starts with a byte-order mark or is valid UTF-8
// holding non-ASCII bytes, UTF-16 behind its byte-order mark, else Windows-1250 (what a
// spreadsheet saves as "CSV" on Hungarian Windows).
QString decodeProducerFile(const QByteArray& bytes);
// The fields of one semicolon-separated line, each trimmed; at most 25.
QStringList semicolonFields(const QString& line);

// Producer import ("Import excel (csv) -böl"): one producer per line of a semicolon-separated
// file saved from a spreadsheet.
class TForm34 : public Screen {
    Q_OBJECT
public:
    explicit TForm34(App& app, QWidget* parent = nullptr);

private:
    void openFile();
    void process();

    QPlainTextEdit* m_text = nullptr;
    QListWidget* m_list = nullptr;
    QLabel* m_progress = nullptr;
};
