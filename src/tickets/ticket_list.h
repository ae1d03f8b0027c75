#pragma once

#include <QString>

#include "core/screen.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QueryModel;

// Ticket list "Felvásárlási jegy": the current buyer's tickets and voiding documents; its current
// row (ZQ10) is the ticket that new, modify, view, print and void work on.
class TForm8 : public Screen {
    Q_OBJECT
public:
    explicit TForm8(App& app, QWidget* parent = nullptr);

    // Opens the list statement on ZQ10 with one of the fixed sort clauses.
    static void openList(App& app, const QString& orderBy = QStringLiteral("f_Bszam"));
    // The reload after a save: number order, positioned on the last saved ticket number.
    static void reload(App& app);
    static void locateLastSaved(App& app);

    QString orderLabel() const;
    void setOrderLabel(const QString& text);

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sortByColumn(int column);
    void search();
    void tabChanged();
    void newTicket();
    void modifyTicket();
    void openForModify();
    void output(const QString& mode);
    void voidTicket();
    void showHeader();
    void showProducer();

    QTabWidget* m_tabs = nullptr;
    QLabel* m_order = nullptr;
    QTableView* m_grid = nullptr;
    QueryModel* m_model = nullptr;
    QLineEdit* m_search = nullptr;
    QPushButton* m_modify = nullptr;
    QPushButton* m_void = nullptr;
    QList<QLabel*> m_headerValues;    // named by their ZQ10 column
    QList<QLabel*> m_producerValues;  // named by their ZQ31 column
    bool m_listJustOpened = false;
};
