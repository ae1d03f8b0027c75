#include "core/list_screen.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/clock.h"
#include "core/navigator.h"
#include "core/query.h"

namespace {
QPushButton* makeButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}

QDateEdit* makeDateEdit(QWidget* parent, const QString& name, QDate date) {
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    edit->setCalendarPopup(true);
    return edit;
}
}  // namespace

ListScreen::ListScreen(App& app, const QString& className, const QString& caption, Query& rows,
                       QList<GridColumn> columns, QWidget* parent)
    : Screen(app, className, caption, parent), m_rows(rows) {
    auto* layout = new QVBoxLayout(this);
    m_choices = new QVBoxLayout;
    layout->addLayout(m_choices);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grid") + rows.name());
    m_model = bindGrid(m_grid, rows, std::move(columns));
    layout->addWidget(m_grid, 1);
    m_navigator = new Navigator(rows, ui(), Navigator::Buttons::Moving, this);
    auto* tools = new QHBoxLayout;
    tools->addWidget(m_navigator);
    tools->addStretch();
    layout->addLayout(tools);

    m_collect = makeButton(QStringLiteral("Kigyüjtés"), this);
    m_print = makeButton(QStringLiteral("Nyomtatás"), this);
    m_cancel = makeButton(QStringLiteral("Mégsem"), this);
    m_print->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_collect, m_print, m_cancel}) buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons);

    onClick(m_collect, [this] {
        m_print->setEnabled(false);
        collect();
        showCollectedColumns();
        m_print->setEnabled(true);
    });
    onClick(m_print, [this] { print(); });
    onClick(m_cancel, [this] { reject(); });
    resize(900, 600);
}

// A screen whose statement depends on a choice shows only the columns the rows have.
void ListScreen::showCollectedColumns() {
    for (int i = 0; i < m_model->columnCount(); ++i) {
        m_grid->setColumnHidden(i, m_rows.active() && !m_rows.hasField(m_model->fieldOf(i)));
    }
}

void ListScreen::invalidate() {
    m_print->setEnabled(false);
}

PeriodFields::PeriodFields(QWidget* parent, QBoxLayout* row, const QString& caption)
    : QObject(parent) {
    const int year = currentYear();
    m_from = makeDateEdit(parent, QStringLiteral("fromDate"), QDate(year, 1, 1));
    m_to = makeDateEdit(parent, QStringLiteral("toDate"), QDate(year, 12, 31));
    auto* label = new QLabel(caption, parent);
    label->setBuddy(m_from);
    row->addWidget(label);
    row->addWidget(m_from);
    row->addWidget(new QLabel(QStringLiteral("-tól"), parent));
    row->addWidget(m_to);
    row->addWidget(new QLabel(QStringLiteral("-ig"), parent));
}

QDate PeriodFields::from() const {
    return m_from->date();
}
QDate PeriodFields::to() const {
    return m_to->date();
}
QString PeriodFields::fromText() const {
    return dateText(from());
}
QString PeriodFields::toText() const {
    return dateText(to());
}

int currentYear() {
    return clockNow().date().year();
}

QString totalText(const Query& query, const QString& field) {
    if (!query.active() || query.isEmpty()) return QStringLiteral("0");
    const Value total = query.value(field);
    return total.isNull() ? QStringLiteral("0") : numberText(total.asDouble());
}
