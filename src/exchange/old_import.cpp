#include "exchange/old_import.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/value.h"
#include "core/win1250.h"
#include "exchange/folder_prefix.h"
#include "exchange/import_rows.h"
#include "exchange/row_stream.h"

namespace {

QString trimmedField(const QString& line, int first, int last) {
    return fixedField(line, first, last).trimmed();
}

bool blank(const QString& line) {
    return line.trimmed().isEmpty();
}

QStringList nonBlank(const QStringList& lines) {
    QStringList rows;
    for (const QString& line : lines) {
        if (!blank(line)) rows << line;
    }
    return rows;
}

// The old version's codes lose their first character; the new ones start with "1".
QString oldCode(const QString& line) {
    return QStringLiteral("1") + fixedField(line, 2, 6);
}

void bindProducer(Query& q, const QString& line) {
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral(
        "INSERT INTO ostermelo ( o_kod, o_Nev,o_Irszam, o_Helysegnev, o_Utca, o_Adoazon, "
        "o_Igszam, o_Regszam, o_Szja, o_Szulhely, o_Szido, o_Anyja, o_Muvktg, o_Csgazd, o_Neme, "
        "o_Szulnev, o_TAJ, o_Adoszam, o_Bankszla, o_aKod   )"));
    q.addSql(QStringLiteral(
        "VALUES             (   :p1,   :p2,     :p3,          :p4,    :p5,       :p6,      :p7,  "
        "     :p8,    :p9,       :p10,    :p11,    :p12,     :p13,    :p14,    :p15,      :p16, "
        " :p17,      :p18,       :p19,   :p20   )"));
    q.bindText(QStringLiteral("p1"), oldCode(line));
    const struct {
        const char* param;
        int first;
        int last;
    } texts[] = {
        {"p2", 7, 51},     {"p3", 53, 56},    {"p4", 58, 102},   {"p5", 104, 148},
        {"p6", 150, 159},  {"p7", 161, 168},  {"p8", 170, 179},  {"p10", 183, 227},
        {"p12", 240, 284}, {"p14", 288, 295}, {"p16", 299, 343}, {"p17", 345, 353},
        {"p18", 355, 365}, {"p19", 367, 392},
    };
    for (const auto& t : texts) {
        q.bindText(QString::fromLatin1(t.param), trimmedField(line, t.first, t.last));
    }
    q.bindInt(QStringLiteral("p9"), 0);
    // A birth date stands in 229-238 only when its first separator is where it belongs.
    if (fixedField(line, 233, 233) == QStringLiteral("."))
        q.bindDate(QStringLiteral("p11"), parseDate(trimmedField(line, 229, 238)));
    else
        q.bindNull(QStringLiteral("p11"));
    q.bindInt(QStringLiteral("p13"), 0);
    q.bindText(QStringLiteral("p15"), fixedField(line, 297, 297));
    q.bindText(QStringLiteral("p20"), QStringLiteral("1"));
}

// An amount of the old files; a blank field stores no value.
void bindAmount(Query& q, const QString& param, const QString& text) {
    if (text.isEmpty())
        q.bindNull(param);
    else
        q.bindNumber(param, text);
}

void bindProduct(Query& q, const QString& line) {
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral(
        "INSERT INTO termek ( t_kod, t_Megnevezes, t_vtsz, t_ear, t_megy, t_Kompmerteke, t_akod  "
        " )"));
    q.addSql(QStringLiteral(
        "VALUES          (   :p1,          :p2,    :p3,   :p4,    :p5,           :p6,    :p7   )"));
    q.bindText(QStringLiteral("p1"), oldCode(line));
    q.bindText(QStringLiteral("p2"), trimmedField(line, 7, 81));
    q.bindText(QStringLiteral("p3"), trimmedField(line, 83, 92));
    bindAmount(q, QStringLiteral("p4"), trimmedField(line, 94, 108));
    q.bindText(QStringLiteral("p5"), trimmedField(line, 110, 119));
    bindAmount(q, QStringLiteral("p6"), trimmedField(line, 121, 123));
    q.bindText(QStringLiteral("p7"), QStringLiteral("1"));
}

void bindBuyer(Query& q, int lineNumber, const QString& line) {
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral(
        "INSERT INTO atvevo ( v_akod, v_neve, v_helyseg, v_utca, v_irszam, v_adoszam )"));
    q.addSql(QStringLiteral(
        "VALUES          (   :p1,     :p2,       :p3,    :p4,      :p5,       :p6 )"));
    q.bindText(QStringLiteral("p1"), QString::number(lineNumber));
    q.bindText(QStringLiteral("p2"), trimmedField(line, 1, 45));
    q.bindText(QStringLiteral("p3"), trimmedField(line, 47, 91));
    q.bindText(QStringLiteral("p4"), trimmedField(line, 93, 137));
    q.bindText(QStringLiteral("p5"), trimmedField(line, 139, 142));
    q.bindText(QStringLiteral("p6"), trimmedField(line, 144, 154));
}

}  // namespace

QString fixedField(const QString& line, int first, int last) {
    return line.mid(first - 1, last - first + 1);
}

TForm25::TForm25(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm25"), QStringLiteral("Régiből import"), parent) {
    auto* layout = new QVBoxLayout(this);
    m_folder = new QLineEdit(QStringLiteral("c:\\Termaro18\\"));
    m_folder->setObjectName(QStringLiteral("Edit1"));
    layout->addWidget(m_folder);
    layout->addWidget(new QLabel(
        QStringLiteral("A régi verzióból átemeli a  termék, östermelö és vevö adatait")));

    auto* which = new QGroupBox(QStringLiteral("Melyik?"));
    auto* whichLayout = new QHBoxLayout(which);
    const char* const captions[] = {"Östermelő", "Termék", "Átvevő"};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(captions[i]));
        box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        box->setChecked(true);
        m_which << box;
        whichLayout->addWidget(box);
    }
    layout->addWidget(which);

    m_lines = new QPlainTextEdit;
    m_lines->setObjectName(QStringLiteral("Memo1"));
    m_lines->setReadOnly(true);
    m_lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(m_lines, 1);

    auto* importButton = new QPushButton(QStringLiteral("Import"));
    importButton->setObjectName(QStringLiteral("Button1"));
    auto* closeButton = new QPushButton(QStringLiteral("Mégsem"));
    closeButton->setObjectName(QStringLiteral("Button3"));
    onClick(importButton, [this] { importAll(); });
    onClick(closeButton, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(importButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    resize(640, 480);
}

QStringList TForm25::loadFile(const QString& fileName) {
    m_lines->clear();
    const QString path = prefixedPath(app(), m_folder->text(), fileName);
    const QStringList lines =
        readImportLines(path, [](const QByteArray& bytes) { return win1250::decode(bytes); });
    m_lines->setPlainText(lines.join(u'\n'));
    return lines;
}

void TForm25::importAll() {
    if (m_which.at(0)->isChecked() && !importProducers()) return;
    if (m_which.at(1)->isChecked() && !importProducts()) return;
    if (m_which.at(2)->isChecked() && !importBuyers()) return;
    accept();
}

bool TForm25::importProducers() {
    const QStringList rows = nonBlank(loadFile(QStringLiteral("exposterm.txt")));
    Query& q = data().query(QStringLiteral("ZQ30"));
    const ImportOutcome outcome = importKeyedRows(
        app(), rows, storedCodes(data().database(), QStringLiteral("SELECT o_kod FROM ostermelo")),
        oldCode,
        [&q](const QString& line) {
            bindProducer(q, line);
            q.execSql();
        },
        QStringLiteral("Hiba252!"), QStringLiteral("Hiba251: Újban, INSERT az östermelöben "));
    if (!outcome.finished) return false;
    reportSkippedCodes(app(), outcome.skippedCodes);
    ui().message(QStringLiteral("A régi östermelö adatok átemelve"));
    return true;
}

bool TForm25::importProducts() {
    const QStringList rows = nonBlank(loadFile(QStringLiteral("exptermek.txt")));
    Query& q = data().query(QStringLiteral("ZQ40"));
    const ImportOutcome outcome = importKeyedRows(
        app(), rows, storedCodes(data().database(), QStringLiteral("SELECT t_kod FROM termek")),
        oldCode,
        [&q](const QString& line) {
            bindProduct(q, line);
            q.execSql();
        },
        QStringLiteral("Hiba254!"), QStringLiteral("Hiba253: Újban, INSERT a termékben "));
    if (!outcome.finished) return false;
    reportSkippedCodes(app(), outcome.skippedCodes);
    ui().message(QStringLiteral("A régi termék adatok átemelve"));
    return true;
}

bool TForm25::importBuyers() {
    const QStringList lines = loadFile(QStringLiteral("expatvevo.txt"));
    // The buyers are replaced as a whole, so an empty file would leave none.
    if (nonBlank(lines).isEmpty()) {
        ui().message(QStringLiteral("Az átvevő fájl üres, az átvevők nem változtak."));
        return false;
    }
    // Tickets name their buyer by code: renumbered buyers under stored tickets would give
    // those tickets another buyer.
    if (RowStream::count(data().database(), QStringLiteral("SELECT FIRST 1 id_fjfej FROM fjfej")) >
        0) {
        ui().message(
            QStringLiteral("Az adatbázisban már vannak felvásárlási jegyek, ezért az "
                           "átvevők nem cserélhetők le a régi adatokra."));
        return false;
    }
    // The deletion and every insert stand or fall together: a failure leaves the buyers whole.
    TData& d = data();
    try {
        if (!d.inTransaction()) d.startTransaction();
    } catch (const std::exception& e) {
        qWarning("Hiba256: %s", qUtf8Printable(errorText(e)));
        ui().message(QStringLiteral("Hiba256 törléskor!"));
        return false;
    }
    Query& q = d.query(QStringLiteral("ZQ60"));
    QString failure = QStringLiteral("Hiba255: törlés az átvevőben ");
    try {
        q.close();
        q.clearSql();
        q.addSql(QStringLiteral("DELETE FROM atvevo "));
        q.execSql();
        failure = QStringLiteral("Hiba257: Újban, INSERT az átvevöben ");
        for (int i = 0; i < lines.size(); ++i) {
            if (blank(lines.at(i))) continue;
            bindBuyer(q, i + 1, lines.at(i));
            q.execSql();
        }
        d.commit();
    } catch (const std::exception& e) {
        qWarning("%s: %s", qUtf8Printable(failure), qUtf8Printable(errorText(e)));
        ui().message(failure);
        guardQuietly([&d] { d.rollback(); });
        return false;
    }
    ui().message(QStringLiteral("A régi átvevö adatok átemelve"));
    return true;
}
