#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/screen.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

// A field of a fixed-width line by 1-based inclusive character positions: the part of it that
// the line holds (nothing when the line ends before the field starts).
QString fixedField(const QString& line, int first, int last);

// Import from the old version ("Régiből import"): producers, products and buyers from the
// previous program's fixed-width text files.
class TForm25 : public Screen {
    Q_OBJECT
public:
    explicit TForm25(App& app, QWidget* parent = nullptr);

private:
    void importAll();
    // Each returns false when the whole import has to stop.
    bool importProducers();
    bool importProducts();
    bool importBuyers();
    // Loads a file of the old version into the text area and returns its lines.
    QStringList loadFile(const QString& fileName);

    QLineEdit* m_folder = nullptr;
    QList<QCheckBox*> m_which;
    QPlainTextEdit* m_lines = nullptr;
};
