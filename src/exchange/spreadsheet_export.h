#pragma once

#include <QList>
#include <QString>

#include "core/screen.h"
#include "exchange/row_stream.h"
#include "exchange/spreadsheet_writer.h"

class QCheckBox;
class QDateEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

// Spreadsheet export ("Excel  táblába"): ticket lines of a period with their ticket and producer
// data, or the whole producer register, into a workbook in the working folder.
class TForm20 : public Screen {
    Q_OBJECT
public:
    explicit TForm20(App& app, QWidget* parent = nullptr);

    // The workbooks, in the working folder.
    static constexpr const char* ticketFile = "FJFEJ.xlsx";
    static constexpr const char* producerFile = "OSTERMELO.xlsx";

protected:
    void onShow() override;

private:
    // What each page exports: its query, statement, parameters and workbook.
    struct Page {
        QString queryName;
        QString fileName;
        QString doneText;
        QList<SheetColumn> columns;
        QCheckBox* show = nullptr;
        QProgressBar* progress = nullptr;
        QList<QPushButton*> buttons;
        // The statement and parameters of the page's last collection on this screen.
        QString sql;
        RowStream::Params params;
        // A cheaper statement giving at most as many rows as `sql`, and as many unless a join
        // repeats a row; empty when only `sql` itself counts its rows.
        QString leastSql;
    };

    QWidget* buildTicketPage();
    QWidget* buildProducerPage();
    // The check box, progress bar, grid with navigator and the three buttons of a page.
    void addPageControls(QWidget* page, Page& p, int number);

    void collectTickets();
    void collectProducers();
    void collect(Page& p, const QString& sql, const RowStream::Params& params,
                 const QString& leastSql = {});
    void tooManyRows(int rowCount);
    void exportPage(Page& p);
    bool holdsCollection(const Page& p);

    QTabWidget* m_pages = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QRadioButton* m_byPayment = nullptr;
    QRadioButton* m_byPurchase = nullptr;
    Page m_tickets;
    Page m_producers;
};
