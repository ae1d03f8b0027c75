#include "maintenance/table_editor.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/navigator.h"
#include "core/tdata.h"
#include "maintenance/password_dialog.h"
#include "maintenance/table_edit_model.h"

// A grid whose open cell editor can be finished from outside: the navigator's buttons do not
// take the focus, so "post" hands over what is still being typed first.
class TableEditGrid : public QTableView {
public:
    using QTableView::QTableView;
    void finishEditing() {
        if (state() != EditingState) return;
        if (QWidget* editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    void dropEditing() {
        if (state() != EditingState) return;
        if (QWidget* editor = indexWidget(currentIndex()))
            closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
};

namespace {
const char* const tabCaptions[6] = {"FjFej", "FjSor", "Ostermelo", "Termek", "Sorszam", "Atvevo"};

// The producer grid shows these columns, those of them the database has.
const char* const producerColumns[] = {
    "ID_OSTERMELO", "O_KOD",      "O_NEV",     "O_IRSZAM",  "O_HELYSEGNEV", "O_UTCA",
    "O_ADOAZON",    "O_IGSZAM",   "O_REGSZAM", "O_SZJA",    "O_SZULHELY",   "O_SZIDO",
    "O_ANYJA",      "O_CSGAZD",   "O_NEME",    "O_SZULNEV", "O_TAJ",        "O_ADOSZAM",
    "O_BANKSZLA",   "O_ERVKELT",  "O_AKOD",    "O_MUVKTG",  "O_MNYPTAG",    "O_BETETLAP",
    "O_KAMARA",     "O_FELIR",    "O_KERULET", "O_JELLEG",  "O_HAZSZAM",    "O_EPULET",
    "O_LEPCSO",     "O_SZINT",    "O_AJTO",    "O_FHAT",    "O_KOZADOSZAM", "O_FELJEGYZ",
    "O_IGSZAM1",    "O_ERVKELT1", "O_CSGAZD1"};
// The sequence-number grid shows these.
const char* const sequenceColumns[] = {"ID_SORSZAM", "A_FJBSZAM", "A_AKOD"};

const QString pendingFirst =
    QStringLiteral("Előbb rögzítse vagy vesse el a folyamatban lévő módosítást!");

// A column name as an SQL identifier; the names come from the database's own catalogue.
QString identifier(const QString& name) {
    return QLatin1Char('"') + QString(name).replace('"', QStringLiteral("\"\"")) + QLatin1Char('"');
}
}  // namespace

TForm22::TForm22(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm22"), QStringLiteral("Adatbázis"), parent) {
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(m_tabs);
    for (int i = 0; i < 6; ++i) buildPage(i);
    auto* edit = new QPushButton(QStringLiteral("Szerkeszt"), this);
    edit->setObjectName(QStringLiteral("Button6"));
    auto* close = new QPushButton(QStringLiteral("Mégsem"), this);
    close->setObjectName(QStringLiteral("Button1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {edit, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    onClick(edit, [this] { askCode(); });
    onClick(close, [this] { reject(); });
    connect(m_tabs, &QTabWidget::currentChanged, this,
            [this](int page) { guard(ui(), [&] { pageChanged(page); }); });
    resize(960, 600);
}

TForm22::~TForm22() {
    // Destroyed without closing: the five tables still go back to read-only.
    if (!m_closed) guardQuietly(QStringLiteral("TForm22"), [this] { lockFiveTables(); });
}

void TForm22::buildPage(int index) {
    TableView& table = data().table(index + 1);
    QList<TableColumn> declared;
    guard(ui(), [&] { declared = readTableColumns(data().database(), table.table); });
    const auto exists = [&declared](const QString& name) {
        if (declared.isEmpty()) return true;  // unknown: show the list as given
        for (const TableColumn& c : declared)
            if (c.name == name) return true;
        return false;
    };
    QList<GridColumn> columns;
    if (table.table == QStringLiteral("OSTERMELO")) {
        for (const char* name : producerColumns)
            if (exists(QLatin1String(name))) columns << GridColumn{name, name};
    } else if (table.table == QStringLiteral("SORSZAM")) {
        for (const char* name : sequenceColumns)
            if (exists(QLatin1String(name))) columns << GridColumn{name, name};
    }
    auto* model = new TableEditModel(table, columns);
    model->setTableColumns(declared);

    auto* page = new QWidget(m_tabs);
    auto* layout = new QVBoxLayout(page);
    auto* grid = new TableEditGrid(page);
    grid->setObjectName(QStringLiteral("DBGrid%1").arg(index + 1));
    bindGrid(grid, model);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    auto* navigator = new Navigator(*table.query, ui(), Navigator::Buttons::Editing, page);
    navigator->setObjectName(QStringLiteral("DBNavigator%1").arg(index + 1));
    layout->addWidget(navigator);
    layout->addWidget(grid);
    m_tabs->addTab(page, QString::fromLatin1(tabCaptions[index]));
    m_pages[index] = {model, grid, navigator};

    const auto onNavigator = [this, navigator](void (Navigator::*signal)(), auto action) {
        connectGuarded(navigator, signal, this, ui(), action);
    };
    onNavigator(&Navigator::insertClicked, [this, index] { insertRow(index); });
    onNavigator(&Navigator::deleteClicked, [this, index] { deleteRow(index); });
    onNavigator(&Navigator::editClicked, [this, index] { editRow(index); });
    onNavigator(&Navigator::postClicked, [this, index] {
        m_pages[index].grid->finishEditing();
        post(index);
    });
    onNavigator(&Navigator::cancelClicked, [this, index] { cancelRow(index); });
    onNavigator(&Navigator::refreshClicked, [this, index] { refresh(index); });
    connect(model, &TableEditModel::otherRowPending, this, [this] { ui().message(pendingFirst); });
    if (index == 5) {  // the buyer's table shows only after the second code
        grid->hide();
        navigator->hide();
    }
}

void TForm22::onShow() {
    data().openTableViews();
    updateEditing();
}

void TForm22::updateEditing() {
    for (const Page& p : m_pages) {
        const bool writable = p.model->writable();
        for (const char* name : {"insert", "delete", "edit", "post", "cancel"}) {
            if (auto* b = p.navigator->findChild<QToolButton*>(QLatin1String(name)))
                b->setEnabled(writable);
        }
    }
}

void TForm22::askCode() {
    TPasswordDlg dialog(this);
    ui().showModal(dialog);
    // Only "OK" with the right code unlocks: a cancelled dialog never does, whatever was typed.
    const AccessLevel level = dialog.confirmed() ? accessLevelOf(dialog.code()) : AccessLevel::None;
    if (level == AccessLevel::None) return;
    if (!settlePending()) return;
    if (level == AccessLevel::AllTables) {
        setReadOnly(6, false);
        m_pages[5].grid->show();
        m_pages[5].navigator->show();
    } else {
        setReadOnly(5, false);
    }
}

void TForm22::setReadOnly(int count, bool readOnly) {
    for (int n = 1; n <= count; ++n) {
        TableView& t = data().table(n);
        t.query->close();
        t.readOnly = readOnly;
    }
    for (int n = 1; n <= count; ++n) data().openTableView(n);
    updateEditing();
}

void TForm22::lockFiveTables() {
    bool anyWritable = false;
    for (int n = 1; n <= 5; ++n) anyWritable = anyWritable || !data().table(n).readOnly;
    if (anyWritable) setReadOnly(5, true);
}

void TForm22::done(int result) {
    bool settled = false;
    guard(ui(), [&] { settled = settlePending(); });
    if (!settled) return;  // the user wants the change kept and it did not post: stay open
    m_closed = true;
    guard(ui(), [this] { lockFiveTables(); });
    Screen::done(result);
}

bool TForm22::settlePending() {
    for (int i = 0; i < 6; ++i) {
        if (!settlePending(i)) return false;
    }
    return true;
}

bool TForm22::settlePending(int page) {
    Page& p = m_pages[page];
    p.grid->finishEditing();
    if (p.model->state() == TableEditModel::State::Browse) return true;
    if (ui().ask(QStringLiteral("A(z) %1 tábla módosított sora nincs rögzítve. Rögzíti?")
                     .arg(p.model->table().table)))
        return post(page);
    cancelRow(page);
    return true;
}

bool TForm22::refusePending(int page) {
    m_pages[page].grid->finishEditing();
    if (m_pages[page].model->state() == TableEditModel::State::Browse) return false;
    ui().message(pendingFirst);
    return true;
}

void TForm22::pageChanged(int page) {
    if (m_switchingBack) return;
    const int left = m_currentPage;
    m_currentPage = page;
    if (left == page || settlePending(left)) return;
    // The change of the page left behind did not post: back to it, so it can be corrected.
    m_switchingBack = true;
    m_tabs->setCurrentIndex(left);
    m_currentPage = left;
    m_switchingBack = false;
}

bool TForm22::post(int page) {
    Page& p = m_pages[page];
    TableEditModel* model = p.model;
    const TableEditModel::Pending pending = model->pending();
    if (pending.state == TableEditModel::State::Browse) return true;
    // Every typed value is checked against its column before anything is written.
    QStringList names;
    std::vector<Value> values;
    for (auto it = pending.changes.cbegin(); it != pending.changes.cend(); ++it) {
        const TableColumn* column = model->tableColumn(it.key());
        Value value;
        const QString refusal =
            column ? toColumnValue(*column, it.value(), &value)
                   : QStringLiteral("A(z) \"%1\" mező nem módosítható.").arg(it.key());
        if (!refusal.isEmpty()) {
            ui().message(refusal);
            for (int c = 0; c < model->columnCount(); ++c) {
                if (model->fieldOf(c) == it.key())
                    p.grid->setCurrentIndex(model->index(pending.row, c));
            }
            ui().focus(p.grid);
            return false;
        }
        names << identifier(column->name);
        values.push_back(value);
    }
    const QString table = model->table().table;
    const QString key = identifier(model->keyColumn());
    const bool inserting = pending.state == TableEditModel::State::Insert;
    if (!inserting && names.isEmpty()) {
        model->cancel();  // opened for editing and left as it was
        return true;
    }
    QString sql;
    if (inserting) {
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i) marks << QStringLiteral("?");
        sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(table, names.join(QStringLiteral(", ")),
                                         marks.join(QStringLiteral(", ")));
    } else {
        sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                  .arg(table, names.join(QStringLiteral(" = ?, ")), key);
        values.push_back(pending.key);
    }
    Database& db = data().database();
    Value postedKey = pending.key;
    bool written = false;
    int touched = 0;
    try {
        touched = db.execute(sql, values);
        written = true;
        if (inserting) {
            std::unique_ptr<Cursor> newest =
                db.open(QStringLiteral("SELECT MAX(%1) FROM %2").arg(key, table), {});
            if (newest->next()) postedKey = newest->current(0);
            newest->close();
        }
        // At once: a later failure elsewhere must not take this change back with it.
        data().commit();
    } catch (const std::exception& e) {
        // A refused statement changes nothing by itself; a failed commit is taken back whole.
        // Either way the typed row stays in the grid to be corrected or cancelled.
        if (written) {
            guardQuietly(QStringLiteral("TForm22"), [this] { data().rollback(); });
            reopenTables(page, pending.key, pending.row);
            model->restore(pending);
        }
        ui().error(errorText(e));
        return false;
    }
    if (!inserting && touched == 0)
        ui().message(QStringLiteral("A módosított sort közben törölték, a módosítás elveszett."));
    reopenTables(page, postedKey, pending.row);
    return true;
}

void TForm22::reopenTables(int page, const Value& key, int row) {
    int rows[6];
    for (int i = 0; i < 6; ++i) rows[i] = m_pages[i].model->query().recNo();
    data().openTableViews();
    for (int i = 0; i < 6; ++i) {
        Query& q = m_pages[i].model->query();
        if (i == page && !key.isNull()) {
            // A changed row keeps its place and a new one comes last, where `row` points; only
            // otherwise is the table searched.
            const QString keyColumn = m_pages[i].model->keyColumn();
            q.moveTo(row);
            if (q.recNo() == row && q.text(keyColumn) == key.asText()) continue;
            if (q.locate(keyColumn, key.asText(), false, false)) continue;
        }
        const int target = i == page ? row : rows[i];
        if (target <= 0) continue;
        q.moveTo(target);
        if (q.recNo() != target) q.last();  // the row is gone: the last one
    }
    updateEditing();
}

void TForm22::insertRow(int page) {
    Page& p = m_pages[page];
    if (!p.model->writable() || refusePending(page)) return;
    if (!p.model->startInsert()) return;
    const int row = p.model->pending().row;
    for (int c = 0; c < p.model->columnCount(); ++c) {
        const QModelIndex cell = p.model->index(row, c);
        if (p.model->flags(cell) & Qt::ItemIsEditable) {
            p.grid->setCurrentIndex(cell);
            p.grid->setFocus();
            p.grid->edit(cell);
            return;
        }
    }
    p.grid->scrollToBottom();
}

void TForm22::editRow(int page) {
    Page& p = m_pages[page];
    const int row =
        p.grid->currentIndex().isValid() ? p.grid->currentIndex().row() : p.model->query().recNo();
    if (!p.model->writable() || row < 0) return;
    if (!p.model->startEdit(row)) {
        ui().message(pendingFirst);
        return;
    }
    QModelIndex cell = p.grid->currentIndex();
    if (!cell.isValid() || !(p.model->flags(cell) & Qt::ItemIsEditable)) {
        for (int c = 0; c < p.model->columnCount() && !cell.isValid(); ++c) {
            if (p.model->flags(p.model->index(row, c)) & Qt::ItemIsEditable)
                cell = p.model->index(row, c);
        }
    }
    if (!cell.isValid()) return;
    p.grid->setCurrentIndex(cell);
    p.grid->setFocus();
    p.grid->edit(cell);
}

void TForm22::cancelRow(int page) {
    m_pages[page].grid->dropEditing();
    m_pages[page].model->cancel();
}

void TForm22::deleteRow(int page) {
    Page& p = m_pages[page];
    if (!p.model->writable()) return;
    p.grid->finishEditing();
    const TableEditModel::Pending pending = p.model->pending();
    if (pending.state == TableEditModel::State::Insert) {
        // The new row is not in the table yet: deleting it drops it.
        cancelRow(page);
        return;
    }
    Query& q = p.model->query();
    const int row = q.recNo();
    if (row < 0 || q.isEmpty()) return;
    if (pending.state == TableEditModel::State::Edit && pending.row != row) {
        ui().message(pendingFirst);
        return;
    }
    const QString keyColumn = p.model->keyColumn();
    const Value key = q.value(keyColumn);
    if (!ui().ask(QStringLiteral("Biztosan törli a(z) %1 tábla kijelölt sorát (%2 = %3)?")
                      .arg(p.model->table().table, keyColumn, key.asText())))
        return;
    cancelRow(page);  // a change of the row being deleted goes with it
    bool written = false;
    try {
        data().database().execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                                      .arg(p.model->table().table, identifier(keyColumn)),
                                  {key});
        written = true;
        data().commit();
    } catch (const std::exception& e) {
        if (written) {
            guardQuietly(QStringLiteral("TForm22"), [this] { data().rollback(); });
            reopenTables(page, key, row);
        }
        ui().error(errorText(e));
        return;
    }
    reopenTables(page, Value(), row);
}

void TForm22::refresh(int page) {
    if (refusePending(page)) return;
    Query& q = m_pages[page].model->query();
    const int row = q.recNo();
    q.close();
    q.open();
    if (row <= 0) return;
    q.moveTo(row);
    if (q.recNo() != row) q.last();
}
