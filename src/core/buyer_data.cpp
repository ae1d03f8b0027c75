#include "core/buyer_data.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/widgets.h"
#include "core/write.h"

namespace {
const FieldSpec buyerFields[] = {
    {"ID", "ID_ATVEVO", 0, nullptr, nullptr, nullptr, true},
    {"Kód", "V_AKOD", 0, nullptr, nullptr, nullptr, true},
    {"Átvevő neve", "V_NEVE", 0, nullptr, nullptr, nullptr, true},
    {"Irányitószám", "V_IRSZAM", 0, nullptr, nullptr, nullptr, true},
    {"Helységnév", "V_HELYSEG", 0, nullptr, nullptr, nullptr, true},
    {"Kerület", "V_KERULET", 20},
    {"Utcanév", "V_UTCA", 45},
    {"Jelleg (út, krt)", "V_JELLEG", 20},
    {"Házszám", "V_HAZSZAM", 20},
    {"Épület", "V_EPULET", 20},
    {"Lécsőház", "V_LEPCSO", 20},
    {"Szint", "V_SZINT", 20},
    {"Ajtó", "V_AJTO", 20},
    {"Adószám", "V_ADOSZAM", 0, nullptr, nullptr, nullptr, true},
    {"Közösségi adószám:", "V_KOZADOSZAM", 20},
    {"Bankszámlaszám", "V_BANKSZLA", 26},
    {"Nyilatkozat szövege (250 betü hosszban)", "V_NYILATK", 250},
    {"Verzió", "V_VERZIO"},  // no limit of its own: a longer text fails the update
    {"Egyéni vállalkozó neve", "V_EV_NEVE", 45},
    {"Adóazonositó (egyéni vállalkozónál)", "V_ADOAZON", 10},
    {"E.V. nyilvántartási szám", "V_EVNYILV", 20},
};

QString trimmedRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace()) --n;
    return s.left(n);
}
}  // namespace

TForm17::TForm17(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm17"), QStringLiteral("Átvevö adatai"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0;
    QList<QWidget*> order;
    for (const FieldSpec& spec : buyerFields) {
        if (QString::fromUtf8(spec.name) == QLatin1String("V_EV_NEVE")) {
            m_soleTrader = new QCheckBox(QStringLiteral("Egyéni vállalkozó"), this);
            m_soleTrader->setObjectName(QStringLiteral("V_EV"));
            grid->addWidget(m_soleTrader, row++, 1);
            order << m_soleTrader;
        }
        QLineEdit* edit = addField(grid, row++, 0, spec);
        edit->setEnabled(!spec.readOnly);
        edit->setReadOnly(false);
        m_fields.insert(edit->objectName(), edit);
        if (!spec.readOnly) order << edit;
    }
    m_smallTaxpayer = new QCheckBox(QStringLiteral("Kisadózó"), this);
    m_smallTaxpayer->setObjectName(QStringLiteral("V_KISADO"));
    grid->addWidget(m_smallTaxpayer, row++, 1);
    order << m_smallTaxpayer;
    enableEnterNavigation(order);

    auto* buttons = new QHBoxLayout;
    m_save = new QPushButton(QStringLiteral("Letárol"), this);
    m_cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    m_save->setEnabled(false);
    m_save->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    onClick(m_save, [this] { save(); });
    onClick(m_cancel, [this] { reject(); });
    m_cancel->installEventFilter(this);
}

void TForm17::openBuyerRow() {
    Query& q = data().query("ZQ60");
    q.close();
    q.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = :p1"));
    q.bindText("p1", run().buyerCode);
    q.open();
}

bool TForm17::fill() {
    const QString failed =
        QStringLiteral("Hiba172 az atvevo módosítás Edit-ben való megjelenitésekor!");
    const bool ok = guardQuietly(failed, [this] {
        openBuyerRow();
        Query& q = data().query("ZQ60");
        for (auto it = m_fields.begin(); it != m_fields.end(); ++it)
            it.value()->setText(q.text(it.key()));
        m_soleTrader->setChecked(q.text("V_EV") == QLatin1String("true"));
        m_smallTaxpayer->setChecked(q.text("V_KISADO") == QLatin1String("true"));
    });
    if (!ok) ui().message(failed);
    return ok;
}

void TForm17::onShow() {
    openBuyerRow();
    m_soleTrader->setChecked(data().query("ZQ60").text("v_EV") == QLatin1String("true"));
    Query& count = data().query("ZQ11");
    count.close();
    count.setSql(QStringLiteral(
        "SELECT f_akod, count(f_akod) AS sdb FROM Fjfej WHERE f_akod = :p1 GROUP BY f_akod"));
    count.bindText("p1", run().buyerCode);
    count.open();
    if (count.integer("sdb") > 0) {
        m_save->setEnabled(false);
        ui().message(QStringLiteral("Már készült felvásárlási jegy! Nem módositható."));
    } else {
        m_save->setEnabled(true);
    }
}

bool TForm17::eventFilter(QObject* watched, QEvent* event) {
    // F on "Mégsem" unlocks saving whatever the ticket count says.
    if (watched == m_cancel && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F) m_save->setEnabled(true);
    }
    return Screen::eventFilter(watched, event);
}

bool TForm17::refuse(const QString& message, QWidget* field) {
    ui().message(message);
    ui().focus(field);
    return false;
}

void TForm17::save() {
    if (!textsStorable()) return;
    QLineEdit* community = field("V_KOZADOSZAM");
    const QString communityText = community->text().trimmed();
    if (!communityText.isEmpty() && communityText.size() < 8) {
        refuse(QStringLiteral("Közösségi adószám kevesebb mint 8 karakter!"), community);
        return;
    }
    if (!m_soleTrader->isChecked()) {
        for (const char* name : {"V_ADOAZON", "V_EVNYILV", "V_EV_NEVE"})
            field(QString::fromLatin1(name))->setText(QStringLiteral(" "));
    } else {
        const std::pair<const char*, const char*> required[] = {
            {"V_ADOAZON", "Nincs megadva az egyéni váll.adóazonositó száma!"},
            {"V_EVNYILV", "Nincs megadva az egyéni váll.nyilvántart.száma!"},
            {"V_EV_NEVE", "Nincs megadva az egyéni váll. neve!"},
        };
        for (const auto& [name, message] : required) {
            QLineEdit* edit = field(QString::fromLatin1(name));
            if (trimmedRight(edit->text()).isEmpty()) {
                refuse(QString::fromUtf8(message), edit);
                return;
            }
        }
    }

    const bool written = runWrite(
        app(), QStringLiteral("Hiba171: UPDATE az atvevo "),
        QStringLiteral("Hiba170: UPDATE atvevo "), [this] {
            Query& q = data().query("ZQ61");
            q.close();
            q.setSql(QStringLiteral(
                "UPDATE atvevo SET V_UTCA = :p2, V_BANKSZLA = :p5, V_ADOAZON = :p6, V_NYILATK = "
                ":p7, "
                "V_VERZIO = :p10, V_EV = :p11, V_EVNYILV = :p12, V_KERULET = :p13, V_JELLEG = "
                ":p14, "
                "V_HAZSZAM = :p15, V_EPULET = :p16, V_LEPCSO = :p17, V_SZINT = :p18, V_AJTO = "
                ":p19, "
                "V_KISADO = :p21, V_KOZADOSZAM = :p22, V_EV_NEVE = :p23 WHERE V_AKOD = :p20"));
            const std::pair<const char*, const char*> texts[] = {
                {"p2", "V_UTCA"},     {"p5", "V_BANKSZLA"},    {"p6", "V_ADOAZON"},
                {"p7", "V_NYILATK"},  {"p10", "V_VERZIO"},     {"p12", "V_EVNYILV"},
                {"p13", "V_KERULET"}, {"p14", "V_JELLEG"},     {"p15", "V_HAZSZAM"},
                {"p16", "V_EPULET"},  {"p17", "V_LEPCSO"},     {"p18", "V_SZINT"},
                {"p19", "V_AJTO"},    {"p22", "V_KOZADOSZAM"}, {"p23", "V_EV_NEVE"},
            };
            for (const auto& [param, column] : texts)
                q.bindText(QString::fromLatin1(param), field(QString::fromLatin1(column))->text());
            q.bindText("p11",
                       m_soleTrader->isChecked() ? QStringLiteral("true") : QStringLiteral(" "));
            q.bindText("p21",
                       m_smallTaxpayer->isChecked() ? QStringLiteral("true") : QStringLiteral(" "));
            q.bindText("p20", run().buyerCode);
            q.execSql();
        });

    openBuyerRow();
    const Query& q = data().query("ZQ60");
    run().defaultStatement = q.text("v_nyilatk");
    const QString version = q.text("v_verzio");
    run().printVariant = version.trimmed().isEmpty() ? QString() : version.left(1);
    if (written) accept();  // a failed write keeps the screen open with what was typed
}
