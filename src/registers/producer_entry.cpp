#include "registers/producer_entry.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>
#include <limits>

#include "core/errors.h"
#include "core/value.h"
#include "core/widgets.h"
#include "core/write.h"
#include "registers/producer_list.h"
#include "registers/register_codes.h"
#include "validation/identifiers.h"

namespace {
const QString newModeText = QStringLiteral("Új őstermelő");
const char* const digits = "0123456789";

// Page "Adatok": the left column, then the right column, then the inputs in use from 2021.
const FieldSpec addressFields[] = {
    {"ID", "ID_OSTERMELO", 0, nullptr, nullptr, nullptr, true},
    {"Kód", "O_KOD", 0, nullptr, nullptr, nullptr, true},
    {"Neve", "O_NEV", 45},
    {"Ir.szám", "O_IRSZAM", 4, digits},
    {"Helységnév", "O_HELYSEGNEV", 45},
    {"Kerület", "O_KERULET", 20},
    {"Utcanév", "O_UTCA", 45, nullptr, nullptr, "Csak az utca neve"},
    {"Közterület", "O_JELLEG", 20, nullptr, nullptr, "Utca, tér, körút, stb."},
    {"Házszám", "O_HAZSZAM", 20},
    {"Épület", "O_EPULET", 20},
    {"Lépcsőház", "O_LEPCSO", 20},
    {"Szint", "O_SZINT", 20},
    {"Ajtó", "O_AJTO", 20},
};
const FieldSpec personFields[] = {
    {"Adóazonositó", "O_ADOAZON", 10, digits},
    {"Adószám", "O_ADOSZAM", 11, "0123456789/", nullptr, "Kötöjel nélkül"},
    {"Közösségi adószám", "O_KOZADOSZAM", 20},
    {"Szja", "O_SZJA", 3, digits, "0", "Szja levonás % -a."},
    {"Születési hely", "O_SZULHELY", 45},
    {"Születési idő", "O_SZIDO", 0, "0123456789."},
    {"Neme", "O_NEME", 0, "12", "1"},
    {"Anyja neve", "O_ANYJA", 45},
    {"Születési név", "O_SZULNEV", 45},
    {"Bank szla", "O_BANKSZLA", 26},
    {"Fiz.hat.", "O_FHAT", 0, digits, "0", "Banki fizetés, napokban"},
    {"Kamarai nyilv.szám", "O_KAMARA", 20, nullptr, nullptr,
     "16 karakterből álló agrárkamarai nyilvántartási szám."},
    {"FELIR azonosító:", "O_FELIR", 9},
};
const FieldSpec registryFields[] = {
    {"Családi gazd.nyilv.száma", "O_CSGAZD1", 13, nullptr, nullptr,
     "Dupla klikkre: \"OCSG- \"beírás"},
    {"Érvényesség kezdete", "O_ERVKELT1", 10, nullptr, nullptr,
     "Dupla klikkre: \"2021.01.01\" beírása"},
    {"Nébih\ntevékenység azonositó", "O_IGSZAM1", 15, nullptr, nullptr,
     "Dupla likkre: \"NEBIH\" beírása"},
};
// Page "Feljegyzés", under the notes box.
const FieldSpec formerFields[] = {
    {"Ősterm.Ig.sorszám", "O_IGSZAM", 7, nullptr, nullptr,
     "Az új (kártya alapú) östermelöi igazolvány elsö hét karaktere."},
    {"Reg.szám", "O_REGSZAM", 10},
    {"Családi gazd.szám", "O_CSGAZD", 8, "0123456789/", nullptr, "8 karakter kötőjelek nélkül."},
    {"TAJ", "O_TAJ", 9, digits},
    {"Érvényesítve", "O_ERVKELT", 10, nullptr, nullptr, "Igazolvány hatályosság vég dátuma."},
    {"M.nyugdíj pénztártag", "O_MNYPTAG", 1, " INin", nullptr,
     "\"I\"gen, \"N\"em. Ha nincs kitöltve a program \"Nem\"-nek fogja  tekinteni."},
    {"Betétlap száma", "O_BETETLAP", 12},
};
constexpr int notesLimit = 1000;

// The written columns in parameter order (:p1 .. :p36) and how each value is bound.
enum class Kind { Text, Date, Number, Integer, CardEnd };
struct Column {
    const char* name;
    Kind kind;
};
const Column writtenColumns[] = {
    {"o_kod", Kind::Text},        {"o_Nev", Kind::Text},        {"o_Irszam", Kind::Text},
    {"o_Helysegnev", Kind::Text}, {"o_Utca", Kind::Text},       {"o_Adoazon", Kind::Text},
    {"o_Adoszam", Kind::Text},    {"o_TAJ", Kind::Text},        {"o_Igszam", Kind::Text},
    {"o_Regszam", Kind::Text},    {"o_Csgazd", Kind::Text},     {"o_Szulnev", Kind::Text},
    {"o_Szulhely", Kind::Text},   {"o_Szido", Kind::Date},      {"o_Anyja", Kind::Text},
    {"o_Neme", Kind::Text},       {"o_Bankszla", Kind::Text},   {"o_Szja", Kind::Number},
    {"o_Ervkelt", Kind::CardEnd}, {"o_mnyptag", Kind::Text},    {"o_betetlap", Kind::Text},
    {"o_kamara", Kind::Text},     {"o_felir", Kind::Text},      {"O_KERULET", Kind::Text},
    {"O_JELLEG", Kind::Text},     {"O_HAZSZAM", Kind::Text},    {"O_EPULET", Kind::Text},
    {"O_LEPCSO", Kind::Text},     {"O_SZINT", Kind::Text},      {"O_AJTO", Kind::Text},
    {"O_FHAT", Kind::Integer},    {"O_KOZADOSZAM", Kind::Text}, {"O_FELJEGYZ", Kind::Text},
    {"O_IGSZAM1", Kind::Text},    {"O_ERVKELT1", Kind::Date},   {"O_CSGAZD1", Kind::Text},
};
constexpr int columnCount = sizeof(writtenColumns) / sizeof(writtenColumns[0]);

bool blank(const QString& text) {
    return text.trimmed().isEmpty();
}

bool isDate(const QString& text) {
    return guardQuietly([&text] { parseDate(text); });
}

std::int64_t toInteger(const QString& text) {
    bool ok = false;
    const std::int64_t n = text.trimmed().toLongLong(&ok);
    if (!ok) throw ConversionError(QStringLiteral("'%1' nem érvényes egész szám").arg(text));
    return n;
}

// An identifier check that reads a non-digit counts as a failed check.
bool passes(bool (*check)(const QString&), const QString& text) {
    bool valid = false;
    guardQuietly([&] { valid = check(text); });
    return valid;
}

// A stored value may be longer than what the input lets the user type (O_FELIR holds 12
// characters, its input 9); it is shown whole, so the checks see it and a change writes it back
// unshortened. Typing still cannot lengthen it.
void showStored(QLineEdit* input, const QString& text) {
    if (input->maxLength() < text.size()) input->setMaxLength(int(text.size()));
    input->setText(text);
}

QString dateOrZeroDate(const Value& v) {
    // An empty stored date shows as the zero date of the old date type.
    return v.isNull() ? QStringLiteral("1899.12.30") : v.asText();
}
}  // namespace

TForm5::TForm5(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm5"), QStringLiteral("Őstermelő"), parent) {
    auto* layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    layout->addWidget(m_pages);
    QList<QWidget*> order;
    const auto addColumn = [this, &order](QGridLayout* grid, int column, const auto& specs) {
        int row = grid->count() == 0 ? 0 : grid->rowCount();
        for (const FieldSpec& spec : specs) {
            QLineEdit* edit = addField(grid, row++, column, spec);
            m_fields.insert(edit->objectName(), edit);
            order << edit;
        }
    };

    auto* dataPage = new QWidget;
    auto* dataLayout = new QVBoxLayout(dataPage);
    auto* grid = new QGridLayout;
    dataLayout->addLayout(grid);
    addColumn(grid, 0, addressFields);
    for (int row = 0; row < int(std::size(personFields)); ++row) {
        QLineEdit* edit = addField(grid, row, 3, personFields[row]);
        m_fields.insert(edit->objectName(), edit);
        order << edit;
    }
    grid->itemAtPosition(1, 0)->widget()->hide();  // the code shows without its label
    const auto unitAfter = [&](const char* column, const char* unit) {
        for (int row = 0; row < grid->rowCount(); ++row) {
            QLayoutItem* item = grid->itemAtPosition(row, 4);
            if (item && item->widget() && item->widget()->objectName() == QLatin1String(column)) {
                grid->addWidget(new QLabel(QString::fromUtf8(unit), dataPage), row, 5);
            }
        }
    };
    unitAfter("O_SZJA", "%");
    unitAfter("O_FHAT", "nap");
    grid->setColumnMinimumWidth(2, 24);

    auto* line = new QFrame(dataPage);
    line->setFrameShape(QFrame::HLine);
    dataLayout->addWidget(line);
    dataLayout->addWidget(new QLabel(QStringLiteral("2021. évtől"), dataPage));
    auto* registryGrid = new QGridLayout;
    dataLayout->addLayout(registryGrid);
    addColumn(registryGrid, 0, registryFields);
    dataLayout->addStretch();
    m_pages->addTab(dataPage, QStringLiteral("Adatok"));

    auto* notesPage = new QWidget;
    auto* notesLayout = new QVBoxLayout(notesPage);
    m_notes = new QPlainTextEdit(notesPage);
    m_notes->setObjectName(QStringLiteral("O_FELJEGYZ"));
    m_notes->setAccessibleName(QStringLiteral("Feljegyzés"));
    m_notes->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(m_notes, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = m_notes->toPlainText();
        if (text.size() > notesLimit) m_notes->setPlainText(text.left(notesLimit));
    });
    notesLayout->addWidget(m_notes, 1);
    order << m_notes;
    notesLayout->addWidget(new QLabel(QStringLiteral("2021.01.01 -ig"), notesPage));
    auto* formerGrid = new QGridLayout;
    notesLayout->addLayout(formerGrid);
    addColumn(formerGrid, 0, formerFields);
    m_pages->addTab(notesPage, QStringLiteral("Feljegyzés"));
    enableEnterNavigation(order);

    for (const char* name : {"O_NEME", "O_CSGAZD1", "O_ERVKELT1", "O_IGSZAM1"}) {
        field(QString::fromLatin1(name))->installEventFilter(this);
    }

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    onClick(ok, [this] { save(); });
    onClick(cancel, [this] { reject(); });
}

bool TForm5::newMode() {
    return run().producerEntryMode != QStringLiteral("Őstermelő módositás");
}

void TForm5::onShow() {
    if (!newMode()) return;
    setWindowTitle(run().producerEntryMode.isEmpty() ? newModeText : run().producerEntryMode);
    proposeCode();
}

void TForm5::proposeCode() {
    field(QStringLiteral("O_KOD"))
        ->setText(proposedCode(data().query("ZQ31"), QStringLiteral("ostermelo"),
                               QStringLiteral("o_kod")));
}

bool TForm5::load() {
    const QString failed =
        QStringLiteral("Hiba51 az őstermelő módosítás Edit-ben való megjelenitésekor!");
    const bool loaded = guardQuietly(failed, [this] {
        setWindowTitle(run().producerEntryMode);
        const Query& q = data().query("ZQ30");
        for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
            const QString& column = it.key();
            if (column == QLatin1String("O_SZIDO") || column == QLatin1String("O_ERVKELT") ||
                column == QLatin1String("O_ERVKELT1")) {
                showStored(it.value(), dateOrZeroDate(q.value(column)));
            } else if (column == QLatin1String("O_FHAT")) {
                showStored(it.value(), QString::number(q.integer(column)));
            } else {
                showStored(it.value(), q.text(column));
            }
        }
        m_notes->setPlainText(q.text(QStringLiteral("O_FELJEGYZ")));
    });
    if (!loaded) ui().message(failed);
    return loaded;
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return Screen::eventFilter(watched, event);
    const QString name = edit->objectName();
    if (event->type() == QEvent::FocusOut && name == QLatin1String("O_NEME")) {
        // A man's birth name is his name.
        if (edit->text() == QLatin1String("1")) {
            field(QStringLiteral("O_SZULNEV"))->setText(field(QStringLiteral("O_NEV"))->text());
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        if (name == QLatin1String("O_CSGAZD1")) edit->setText(QStringLiteral("OCSG-"));
        if (name == QLatin1String("O_ERVKELT1")) edit->setText(QStringLiteral("2021.01.01"));
        if (name == QLatin1String("O_IGSZAM1")) edit->setText(QStringLiteral("NEBIH"));
    }
    return Screen::eventFilter(watched, event);
}

bool TForm5::refuse(const QString& message, QWidget* input) {
    ui().message(message);
    ui().focus(input);
    return false;
}

bool TForm5::validate() {
    const auto text = [this](const char* column) {
        return field(QString::fromLatin1(column))->text();
    };
    struct Check {
        std::function<bool()> fails;
        const char* message;
        const char* focus;
    };
    const Check checks[] = {
        {[&] { return blank(text("O_NEV")); }, "Nincs megadva a neve!", "O_NEV"},
        {[&] { return blank(text("O_IRSZAM")); }, "Nincs megadva az irányitószám!", "O_IRSZAM"},
        {[&] { return text("O_IRSZAM").trimmed().size() < 4; },
         "Az irányitószám kevesebb mint 4 karakter!", "O_IRSZAM"},
        {[&] { return blank(text("O_HELYSEGNEV")); }, "Nincs megadva a helységnév!",
         "O_HELYSEGNEV"},
        {[&] { return blank(text("O_UTCA")); }, "Nincs megadva az utca!", "O_UTCA"},
        {[&] { return blank(text("O_ADOAZON")); }, "Nincs megadva az adóazonositó!", "O_ADOAZON"},
        {[&] { return blank(text("O_SZJA")); }, "Nincs megadva az szja!", "O_SZJA"},
        {[&] { return blank(text("O_SZULHELY")); }, "Nincs megadva a születési hely!",
         "O_SZULHELY"},
        {[&] { return blank(text("O_SZIDO")); }, "Nincs megadva a születési idő!", "O_SZIDO"},
        {[&] { return blank(text("O_ANYJA")); }, "Nincs megadva az anyja neve!", "O_ANYJA"},
        {[&] { return blank(text("O_NEME")); }, "Nincs megadva a neme!", "O_NEME"},
        {[&] { return blank(text("O_SZULNEV")); }, "Nincs megadva a születési neve!", "O_SZULNEV"},
        {[&] { return blank(text("O_FHAT")); }, "Nincs megadva a napok száma vagy nulla!",
         "O_FHAT"},
        {[&] {
             // Also a number too large for the column: refused here, not by the write.
             bool ok = false;
             const qint64 days = text("O_FHAT").trimmed().toLongLong(&ok);
             return !ok || days < 0 || days > std::numeric_limits<qint32>::max();
         },
         "Hibás szám vagy nullát adjon meg!", "O_FHAT"},
        {[&] {
             const QString community = text("O_KOZADOSZAM");
             return !blank(community) && community.trimmed().size() < 8;
         },
         "Közösségi adószám kevesebb mint 8 karakter!", "O_KOZADOSZAM"},
        {[&] { return blank(text("O_ADOSZAM")); }, "Nincs megadva az adószáma!", "O_ADOSZAM"},
        {[&] { return !isDate(text("O_SZIDO")); }, "A születési idö dátum formátuma nem megfelelö!",
         "O_SZIDO"},
        {[&] { return text("O_ADOAZON").size() != 10; }, "Nem 10 hosszú számsor", "O_ADOAZON"},
        {[&] { return !passes(AdoazonEllenorzes, text("O_ADOAZON")); }, "Hibás adóazonositó",
         "O_ADOAZON"},
        {[&] { return text("O_ADOSZAM").size() != 11; }, "Kevesebb mint 11 hosszú számsor",
         "O_ADOSZAM"},
        {[&] { return !passes(AdoszamEllenorzes, text("O_ADOSZAM")); }, "Hibás adószám",
         "O_ADOSZAM"},
        {[&] { return !isDate(text("O_ERVKELT1")); },
         "Az érvényesség kezdete dátum formátuma nem megfelelö!", "O_ERVKELT1"},
        {[&] {
             return blank(text("O_FELIR")) && blank(text("O_CSGAZD1")) && blank(text("O_IGSZAM1"));
         },
         "FELIR vagy OCSG vagy NÉBIH nem kitöltött!", "O_FELIR"},
        {[&] { return !blank(text("O_FELIR")) && text("O_FELIR").size() != 9; },
         "Nem 9 hosszú FELIR szám!", "O_FELIR"},
        {[&] { return !blank(text("O_FELIR")) && felir(text("O_FELIR")) != QLatin1String("0"); },
         "Hibás FELIR szám!", "O_FELIR"},
        {[&] { return !blank(text("O_CSGAZD1")) && text("O_CSGAZD1").size() != 13; },
         "Nem 13 hosszú OCSG szám!", "O_CSGAZD1"},
        {[&] { return !blank(text("O_CSGAZD1")) && ocsg(text("O_CSGAZD1")) != QLatin1String("0"); },
         "Hibás OCSG szám!", "O_CSGAZD1"},
        {[&] { return !blank(text("O_IGSZAM1")) && text("O_IGSZAM1").size() != 15; },
         "Nem 15 hosszú NÉBIH azonositó!", "O_IGSZAM1"},
        {[&] {
             return !blank(text("O_IGSZAM1")) && nebih(text("O_IGSZAM1")) != QLatin1String("0");
         },
         "Hibás NÉBIH azonositó!", "O_IGSZAM1"},
    };
    for (const Check& check : checks) {
        if (check.fails()) {
            QWidget* input = field(QString::fromLatin1(check.focus));
            m_pages->setCurrentIndex(0);
            return refuse(QString::fromUtf8(check.message), input);
        }
    }
    return true;
}

bool TForm5::codeTaken() {
    // Codes of different lengths can make the proposal repeat an existing code; two producers
    // under one code would be mixed on every ticket.
    Query& q = data().query("ZQ31");
    q.close();
    q.setSql(QStringLiteral(
        "SELECT count(*) AS db FROM ostermelo WHERE o_kod = CAST(:p1 AS VARCHAR(100))"));
    q.bindText(QStringLiteral("p1"), field(QStringLiteral("O_KOD"))->text());
    q.open();
    return q.integer(QStringLiteral("db")) > 0;
}

void TForm5::writeRow(bool insert) {
    Query& q = data().query("ZQ30");
    q.close();
    q.clearSql();
    if (insert) {
        QStringList columns;
        QStringList params;
        for (int i = 0; i < columnCount; ++i) {
            columns << QString::fromLatin1(writtenColumns[i].name);
            params << QStringLiteral(":p%1").arg(i + 1);
        }
        const QString comma = QStringLiteral(", ");
        q.addSql(QStringLiteral("INSERT INTO ostermelo (") + columns.mid(0, 12).join(comma) + ',');
        q.addSql(QStringLiteral("  ") + columns.mid(12, 12).join(comma) + ',');
        q.addSql(QStringLiteral("  ") + columns.mid(24).join(comma) + QStringLiteral(")"));
        q.addSql(QStringLiteral("  VALUES (") + params.mid(0, 12).join(comma) + ',');
        q.addSql(QStringLiteral("  ") + params.mid(12, 12).join(comma) + ',');
        q.addSql(QStringLiteral("  ") + params.mid(24).join(comma) + QStringLiteral(")"));
    } else {
        q.addSql(QStringLiteral("UPDATE ostermelo            "));
        q.addSql(QStringLiteral("  SET ID_ostermelo  = :p0,  "));
        for (int i = 0; i < columnCount; ++i) {
            q.addSql(QStringLiteral("  %1 = :p%2%3")
                         .arg(QString::fromLatin1(writtenColumns[i].name))
                         .arg(i + 1)
                         .arg(i + 1 < columnCount ? QStringLiteral(",") : QString()));
        }
        q.addSql(QStringLiteral(" WHERE ID_ostermelo = :p0   "));
        q.bindText(QStringLiteral("p0"), field(QStringLiteral("ID_OSTERMELO"))->text());
    }
    for (int i = 0; i < columnCount; ++i) {
        const QString param = QStringLiteral("p%1").arg(i + 1);
        const QString column = QString::fromLatin1(writtenColumns[i].name).toUpper();
        const QString value =
            column == QLatin1String("O_FELJEGYZ") ? m_notes->toPlainText() : field(column)->text();
        switch (writtenColumns[i].kind) {
            case Kind::Text:
                q.bindText(param, value);
                break;
            case Kind::Date:
                q.bindDate(param, value);
                break;
            case Kind::Number:
                q.bindNumber(param, value);
                break;
            case Kind::Integer:
                q.bindInt(param, toInteger(value));
                break;
            case Kind::CardEnd:
                // A new producer's card validity starts out as the empty date of the register.
                if (insert) {
                    q.bindDate(param, QDate(1900, 1, 1));
                } else {
                    q.bindDate(param, value);
                }
                break;
        }
    }
    q.execSql();
}

void TForm5::save() {
    if (!textsStorable() || !validate()) return;
    const bool insert = newMode();
    if (insert && codeTaken()) {
        // The proposal can hit an existing code when codes of different lengths exist ("10"
        // after "9"); the code then opens for typing so the user can give a free one.
        QLineEdit* code = field(QStringLiteral("O_KOD"));
        code->setReadOnly(false);
        code->setEnabled(true);
        refuse(QStringLiteral("A(z) \"%1\" kódú őstermelő már létezik, az új őstermelő nem "
                              "rögzíthető! Adjon meg egy szabad kódot.")
                   .arg(code->text()),
               code);
        return;
    }
    if (!numbersValid({field(QStringLiteral("O_SZJA"))})) return;
    const bool written =
        runWrite(app(), QStringLiteral("Hiba54: az append vagy edit közben az östermelöben!"),
                 insert ? QStringLiteral("Hiba52: Újban, INSERT az östermelöben ")
                        : QStringLiteral("Hiba53: Módositás, Update a östermelöben "),
                 [this, insert] {
                     writeRow(insert);
                     run().rememberedProducerCode = field(QStringLiteral("O_KOD"))->text();
                 });
    TForm4::reload(app());
    Q_EMIT orderLineChanged(QStringLiteral("Őstermelő lista, \"Név\" szerint"));
    if (written) accept();  // a failed write keeps the screen open with what was typed
}
