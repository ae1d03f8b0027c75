#include "exchange/text_export.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/safe_file.h"
#include "core/win1250.h"
#include "exchange/folder_prefix.h"
#include "exchange/row_stream.h"

const QList<TextExportTable> textExportTables = {
    {"Átvevö", "atvevo.txt",
     "SELECT ID_Atvevo, v_Neve, v_Helyseg, v_Utca, v_Irszam, v_Adoszam, v_szeria, v_verzio",
     "FROM atvevo"},
    {"Östermelö", "ostermelo.txt",
     "SELECT ID_ostermelo, o_kod, o_Nev, o_Irszam, o_Helysegnev, o_Utca, o_Adoazon, o_Igszam, "
     "o_Regszam, o_Szja, o_Szulhely, o_Szido, o_Anyja, o_Muvktg, o_Csgazd, o_Neme, o_Szulnev, "
     "o_TAJ, o_Adoszam, o_Bankszla, o_Igszam1, o_Csgazd1",
     "FROM ostermelo"},
    {"Sorszám", "sorszam.txt", "SELECT ID_Sorszam,  a_FjBszam, a_szeria, a_verzio", "FROM sorszam"},
    {"Termék", "termek.txt",
     "SELECT ID_Termek, t_kod, t_megnevezes, t_VTSZ, t_megy, t_Ear, t_Kompmerteke", "FROM termek"},
    {"FjFej", "FjFej.txt",
     "SELECT ID_fjfej, f_bszam, f_akod, f_ostermkod, f_kelt, f_muvktg, f_szja, f_prn, f_megj",
     "FROM FjFej"},
    {"FjSor", "FjSor.txt",
     "SELECT ID_fjsor, s_bszam, s_termekkod, s_megnevezes, s_VTSZ, s_brutto, s_megy, s_ear, "
     "s_kompmerteke",
     "FROM FjSor"},
};

namespace {
// Bytes gathered before each write to the file.
constexpr qsizetype writeChunk = 1 << 20;

// Shows the wait cursor while a long step runs.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
}  // namespace

QString writeColonFile(Database& db, const QString& sql, const QString& path) {
    SafeFile file(path);
    if (!file.open()) return file.errorText();
    RowStream rows(db, sql);
    const int columns = rows.fieldCount();
    QByteArray bytes;
    QString line;
    while (rows.next()) {
        line.clear();
        for (int c = 0; c < columns; ++c) {
            if (c > 0) line += u',';
            line += u':';
            line += rows.value(c).asText();
            line += u':';
        }
        line += QStringLiteral("*\r\n");
        bytes += win1250::encode(line);
        if (bytes.size() >= writeChunk) {
            file.write(bytes);
            bytes.clear();
        }
    }
    file.write(bytes);
    if (!file.commit()) return file.errorText();
    return {};
}

TForm29::TForm29(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm29"), QStringLiteral("Adat export"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Exportálásra kerülö adatok:")));
    for (int i = 0; i < textExportTables.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(textExportTables.at(i).caption));
        box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        box->setChecked(true);
        m_tables << box;
        layout->addWidget(box);
    }
    layout->addWidget(new QLabel(QStringLiteral("Hová:")));
    m_folder = new QLineEdit(QStringLiteral("c:\\"));
    m_folder->setObjectName(QStringLiteral("Edit1"));
    layout->addWidget(m_folder);

    auto* exportButton = new QPushButton(QStringLiteral("Export"));
    exportButton->setObjectName(QStringLiteral("Button1"));
    auto* closeButton = new QPushButton(QStringLiteral("Bezárás"));
    closeButton->setObjectName(QStringLiteral("Button2"));
    onClick(exportButton, [this] { exportTables(); });
    onClick(closeButton, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
}

void TForm29::exportTables() {
    {
        const WaitCursor wait;
        for (int i = 0; i < textExportTables.size(); ++i) {
            if (!m_tables.at(i)->isChecked()) continue;
            const TextExportTable& table = textExportTables.at(i);
            const QString path =
                prefixedPath(app(), m_folder->text(), QString::fromLatin1(table.fileName));
            const QString sql =
                QString::fromLatin1(table.select) + u'\n' + QString::fromLatin1(table.from);
            const QString failure = writeColonFile(data().database(), sql, path);
            // Files already written stay; the one that failed keeps its earlier version.
            if (!failure.isEmpty()) throw AppError(failure);
        }
    }
    ui().notice(QStringLiteral("Exportálás vége. "));
    accept();
}
