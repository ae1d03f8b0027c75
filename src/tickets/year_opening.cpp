#include "tickets/year_opening.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/widgets.h"
#include "core/write.h"
#include "tickets/numbering.h"
#include "tickets/settings_files.h"

namespace {
const char* const informationLines[] = {
    "Nyolc  hosszú legyen a  számsor",
    "Csak számot tartalmazhat.",
    "Több átvevő  esetén a bizonylatszám eltérő legyen.",
    "Egy átvevő több gépen esetén is eltérő legyen a sorszám.",
    "Az utolsó (8. karakter) nulla akkor a kezdő bizonylatszám 1-es lesz. ",
    "Figyelmeztetés: Nullával nem kezdödhet!",
};

// One row of the "Beállítás" tab: label, visibility key and value key with their files.
struct SettingRow {
    const char* label;
    const char* visibleKey;  // nullptr: no visibility column
    const char* valueKey;    // nullptr: no value column
    bool form10;
};
const SettingRow settingRows[] = {
    {"Súly százalék levonás százalék", "Edit14Visible", "Edit14Text", false},
    {"Tagi hozzájárulás százalék", "Edit15Visible", "Edit15Text", false},
    {"Levonás Ft-ban", "Edit13Visible", "Edit13Text", false},
    {"Kompenzáció százalék (7/12%)", nullptr, "Edit8Text", true},
    {"Bizonylat", "Edit10Visible", nullptr, true},
};

QString trimmedRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace()) --n;
    return s.left(n);
}
}  // namespace

TForm38::TForm38(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm38"), QStringLiteral("Évnyitás"), parent) {
    settings::readForm9(run());
    settings::readForm10(run());

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);

    auto* numberPage = new QWidget(m_tabs);
    auto* numberLayout = new QVBoxLayout(numberPage);
    numberLayout->addWidget(new QLabel(
        QStringLiteral("Bizonylat sorszám beállítása pl.: 20240000 vagy 24000000"), numberPage));
    auto* form = new QGridLayout;
    numberLayout->addLayout(form);
    m_current = addField(form, 0, 0,
                         {"Jelenlegi sorszam:", "A_FJBSZAM", 0, nullptr, nullptr, nullptr, true});
    m_newNumber = addField(form, 1, 0, {"Új sorszam:", "newNumber", 0, "0123456789"});
    m_newNumber->setVisible(false);
    m_newNumber->installEventFilter(this);  // Enter is swallowed
    for (const char* line : informationLines)
        numberLayout->addWidget(new QLabel(QString::fromUtf8(line), numberPage));
    auto* buttons = new QHBoxLayout;
    m_save = new QPushButton(QStringLiteral("Letárol"), numberPage);
    m_close = new QPushButton(QStringLiteral("Bezárás"), numberPage);
    for (QPushButton* b : {m_save, m_close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    m_save->setVisible(false);
    buttons->addStretch();
    numberLayout->addLayout(buttons);
    numberLayout->addStretch();
    m_tabs->addTab(numberPage, QStringLiteral("Biz.sorszám"));

    auto* settingsPage = new QWidget(m_tabs);
    auto* grid = new QGridLayout(settingsPage);
    grid->addWidget(new QLabel(QStringLiteral("Nem látható=0"), settingsPage), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Látható=1"), settingsPage), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Értéke vagy nulla"), settingsPage), 1, 2);
    int row = 2;
    for (const SettingRow& r : settingRows) {
        grid->addWidget(new QLabel(QString::fromUtf8(r.label), settingsPage), row, 0);
        int column = 1;
        for (const char* key : {r.visibleKey, r.valueKey}) {
            if (key) {
                auto* field = new QLineEdit(settingsPage);
                field->setObjectName(QString::fromLatin1(key));
                field->setProperty("settingsFile", r.form10 ? settings::form10 : settings::form9);
                field->setReadOnly(true);
                grid->addWidget(field, row, column);
                m_settingFields << field;
            }
            ++column;
        }
        ++row;
    }
    grid->setRowStretch(row, 1);
    m_tabs->addTab(settingsPage, QStringLiteral("Beállítás"));

    onClick(m_save, [this] { save(); });
    onClick(m_close, [this] { reject(); });
}

bool TForm38::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_newNumber && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return Screen::eventFilter(watched, event);
}

void TForm38::onShow() {
    for (QLineEdit* field : m_settingFields) {
        field->setText(settings::value(run(), field->property("settingsFile").toString(),
                                       field->objectName()));
    }
    Query& count = data().query("ZQ11");
    count.close();
    count.clearSql();
    count.addSql(QStringLiteral(
        "SELECT f_akod, count(f_akod) AS sdb FROM Fjfej WHERE f_akod = :p1 GROUP BY f_akod"));
    count.bindText("p1", run().buyerCode);
    count.open();
    const bool locked = count.integer("sdb") > 0;

    // The current number is shown in both states: a locked screen still tells it.
    Query& numbering = data().query("ZQ50");
    numbering.close();
    numbering.clearSql();
    numbering.addSql(QStringLiteral("SELECT a_fjbszam FROM Sorszam WHERE a_akod = :p1"));
    numbering.bindText("p1", run().buyerCode);
    numbering.open();
    m_current->setText(numbering.text("A_FJBSZAM"));

    m_save->setVisible(!locked);
    m_newNumber->setVisible(!locked);
    if (locked) ui().message(QStringLiteral("Már készült felvásárlási jegy! Nem módositható."));
}

bool TForm38::refuse(const QString& message) {
    ui().message(message);
    ui().focus(m_newNumber);
    return false;
}

void TForm38::save() {
    if (!textsStorable()) return;
    const QString text = m_newNumber->text();
    if (trimmedRight(text).isEmpty()) {
        refuse(QStringLiteral("Nincs megadva sorszám!"));
        return;
    }
    if (text.size() != 8) {
        refuse(QStringLiteral("Nem 8 hosszú a számsor!"));
        return;
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok) throw ConversionError(QStringLiteral("'%1' nem érvényes egész szám.").arg(text));
    if (QString::number(value) != text) {
        refuse(QStringLiteral("Nullável nem kezdödhet!"));
        return;
    }

    // The first number this start gives must not be another buyer's document number.
    const QString first = numberAfter(text);
    if (const auto holder = numberHolder(data(), first, run().buyerCode)) {
        refuse(numberTakenText(first, *holder) + QStringLiteral(" Más kezdő sorszámot adjon meg!"));
        return;
    }

    Query& count = data().query("ZQ11");
    count.close();
    count.clearSql();
    count.addSql(QStringLiteral(
        "SELECT a_akod, count(a_akod) AS db FROM sorszam WHERE a_akod = :p1 GROUP BY a_akod"));
    count.bindText("p1", run().buyerCode);
    count.open();
    const bool insert = count.integer("db") == 0;

    // Not committed here: the next commit, or the program's end, makes it permanent.
    const bool written = runWrite(
        app(),
        insert ? QStringLiteral("Hiba382: Letároláskor az INSERT Sorszam -ba ")
               : QStringLiteral("Hiba381: Letároláskor az UPDATE Sorszam -ba "),
        [&] {
            Query& q = data().query("ZQ50");
            q.close();
            q.clearSql();
            q.addSql(insert
                         ? QStringLiteral(
                               "INSERT INTO sorszam ( a_FjBszam, a_akod ) VALUES ( :p1, :p2 )")
                         : QStringLiteral("UPDATE Sorszam SET a_FjBszam = :p1 WHERE a_akod = :p2"));
            q.bindText("p1", text);
            q.bindText("p2", run().buyerCode);
            q.execSql();
            // Numbers given back belong to the old series.
            dropFreedNumbers(data(), run().buyerCode);
        },
        false);
    if (written) accept();
}
