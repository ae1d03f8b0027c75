#include "exchange/producer_import.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTableView>
#include <QVBoxLayout>

#include "core/query_model.h"
#include "core/value.h"
#include "core/win1250.h"
#include "exchange/import_rows.h"
#include "exchange/progress_pump.h"
#include "exchange/row_stream.h"

namespace {

constexpr int maxFields = 25;
const QString rowFailure = QStringLiteral("Hiba301: Újban, INSERT az östermelöben ");

QString field(const QStringList& fields, int number) {
    return number <= fields.size() ? fields.at(number - 1) : QString();
}

// A header names its columns; a producer code holds digits.
bool isHeader(const QStringList& fields) {
    const QString first = field(fields, 1);
    for (const QChar c : first) {
        if (c.isDigit()) return false;
    }
    return !first.isEmpty();
}

QString producerCode(const QString& line) {
    return field(semicolonFields(line), 1).left(5);
}

// A grouped TAJ number ("123-456-789", "123 456 789") loses its two separators.
QString tajNumber(const QString& text) {
    if (text.size() == 11) return text.mid(0, 3) + text.mid(4, 3) + text.mid(8, 3);
    return text.left(9);
}

void insertProducer(Query& q, const QString& line) {
    const QStringList fields = semicolonFields(line);
    auto f = [&fields](int number) {
        const QString text = field(fields, number);
        requireStorable(text);
        return text;
    };
    if (f(1).isEmpty()) throw ConversionError(QStringLiteral("Üres őstermelő kód"));
    const QString birthText = f(11);
    const QDate birthDate =
        birthText.size() < 7 ? QDate(1900, 1, 1) : parseDate(birthText.left(10));

    q.close();
    q.clearSql();
    q.addSql(QStringLiteral(
        "INSERT INTO ostermelo (        o_kod, o_Nev,o_Irszam, o_Helysegnev, o_Utca, o_Adoazon, "
        "o_Igszam, o_Regszam, o_Szja, o_Szulhely, o_Szido, o_Anyja, o_Csgazd, o_Neme, o_Szulnev, "
        "o_TAJ, o_Adoszam, o_Bankszla   )"));
    q.addSql(QStringLiteral(
        "VALUES             (          :p1,   :p2,     :p3,          :p4,    :p5,       :p6,     "
        " :p7,       :p8,    :p9,       :p10,    :p11,    :p12,     :p13,   :p14,      :p15,  "
        ":p16,      :p17,       :p18   )"));
    const struct {
        const char* param;
        int number;
        int length;  // first characters kept; 0: the whole field
    } texts[] = {
        {"p1", 1, 5},   {"p2", 2, 45},  {"p3", 3, 4},    {"p4", 4, 45},   {"p5", 5, 45},
        {"p6", 6, 10},  {"p7", 7, 8},   {"p8", 8, 10},   {"p10", 10, 45}, {"p12", 12, 45},
        {"p13", 13, 8}, {"p14", 14, 1}, {"p15", 15, 45}, {"p17", 17, 0},  {"p18", 18, 0},
    };
    for (const auto& t : texts) {
        const QString text = f(t.number);
        q.bindText(QString::fromLatin1(t.param), t.length > 0 ? text.left(t.length) : text);
    }
    q.bindInt(QStringLiteral("p9"), 0);
    q.bindDate(QStringLiteral("p11"), birthDate);
    q.bindText(QStringLiteral("p16"), tajNumber(f(16)));
    q.execSql();
}

QLabel* note(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

}  // namespace

QString decodeProducerFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    // A spreadsheet's "Unicode" text: UTF-16 behind its byte-order mark.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16)(bytes);
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        if (!utf8.hasError()) return text;
    }
    return win1250::decode(bytes);
}

QStringList semicolonFields(const QString& line) {
    QStringList fields;
    for (const QString& part : line.split(u';')) {
        if (fields.size() == maxFields) break;
        fields << part.trimmed();
    }
    return fields;
}

TForm34::TForm34(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm34"), QStringLiteral("Import excel (csv) -böl"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note(QStringLiteral("Feldolgozás vége üzenet ablakig kell várni.")));
    layout->addWidget(note(
        QStringLiteral("Az excel táblát pontosvesszővel tagolt (csv) fájlként kell menteni.")));
    layout->addWidget(note(QStringLiteral(
        "Az excel tábla oszlopai legyenek olyan szélesek, mint a leghosszabb értékük.")));
    layout->addWidget(note(QStringLiteral(
        "A születési dátum oszlopa dátum, minden más oszlop szöveg típusú legyen.")));

    m_text = new QPlainTextEdit;
    m_text->setObjectName(QStringLiteral("Memo1"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("CheckListBox1"));
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_text, 1);
    lists->addWidget(m_list, 1);
    layout->addLayout(lists, 1);

    m_progress = new QLabel;
    m_progress->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(m_progress);

    auto* grid = new QTableView;
    grid->setObjectName(QStringLiteral("DBGrid2"));
    bindGrid(grid, data().query(QStringLiteral("ZQ30")));
    layout->addWidget(grid, 1);

    const struct {
        const char* name;
        const char* caption;
    } buttonSpecs[] = {{"Button11", "Megnyitás"},
                       {"Button3", "Feldolgozás"},
                       {"Button10", "Mégsem"},
                       {"Button1", "Dupla DEL"}};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    QList<QPushButton*> made;
    for (const auto& spec : buttonSpecs) {
        auto* button = new QPushButton(QString::fromUtf8(spec.caption));
        button->setObjectName(QString::fromLatin1(spec.name));
        buttons->addWidget(button);
        made << button;
    }
    layout->addLayout(buttons);
    onClick(made.at(0), [this] { openFile(); });
    onClick(made.at(1), [this] { process(); });
    onClick(made.at(2), [this] { reject(); });
    // "Dupla DEL" has no action.
    resize(760, 600);
}

void TForm34::openFile() {
    FileDialogRequest request;
    request.caption = QStringLiteral("Megnyitás");
    request.filter = QStringLiteral("CSV fájl (*.csv);;Minden fájl (*)");
    const QString path = ui().openFileName(request);
    if (!path.isEmpty()) {
        m_text->setPlainText(readImportLines(path, decodeProducerFile).join(u'\n'));
    }
    m_list->clear();
    for (const QString& line : textLines(m_text->toPlainText())) {
        auto* item = new QListWidgetItem(line, m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TForm34::process() {
    // Blank lines and a header line naming the columns carry no producer.
    QStringList rows;
    bool first = true;
    for (int i = 0; i < m_list->count(); ++i) {
        const QString line = m_list->item(i)->text();
        if (line.trimmed().isEmpty()) continue;
        const bool header = first && isHeader(semicolonFields(line));
        first = false;
        if (!header) rows << line;
    }

    Query& q = data().query(QStringLiteral("ZQ30"));
    ProgressPump pump(nullptr, static_cast<int>(rows.size()));
    int index = 0;
    const ImportOutcome outcome = importKeyedRows(
        app(), rows, storedCodes(data().database(), QStringLiteral("SELECT o_kod FROM ostermelo")),
        producerCode, [&q](const QString& line) { insertProducer(q, line); }, rowFailure,
        rowFailure,
        [&] {
            m_progress->setText(QString::number(++index));
            pump.step();
        });
    pump.finish();
    if (!outcome.finished) return;
    reportSkippedCodes(app(), outcome.skippedCodes);
    ui().message(QStringLiteral("A lista feldolgozva"));
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT *"));
    q.addSql(QStringLiteral("FROM ostermelo"));
    q.open();
    q.last();
}
