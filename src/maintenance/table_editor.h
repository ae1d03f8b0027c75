#pragma once

#include "core/screen.h"
#include "core/value.h"

class Navigator;
class QTabWidget;
class TableEditModel;
class TableEditGrid;

// "Adatbázis": the six working tables row by row; after a maintenance access code they can be
// edited directly, bypassing the entry screens.
class TForm22 : public Screen {
    Q_OBJECT
public:
    explicit TForm22(App& app, QWidget* parent = nullptr);
    ~TForm22() override;

    // Closing posts or drops a pending change (asking which) and locks the five tables again.
    void done(int result) override;

protected:
    void onShow() override;

private:
    struct Page {
        TableEditModel* model = nullptr;
        TableEditGrid* grid = nullptr;
        Navigator* navigator = nullptr;
    };

    void buildPage(int index);
    void askCode();
    // Closes the first `count` table views, sets their flag, then opens them again in order.
    void setReadOnly(int count, bool readOnly);
    void lockFiveTables();
    void updateEditing();

    // A pending change of any table is posted or dropped, as the user answers; false when the
    // user wanted it kept and it could not be posted.
    bool settlePending();
    bool settlePending(int page);
    bool refusePending(int page);
    bool post(int page);
    void insertRow(int page);
    void deleteRow(int page);
    void editRow(int page);
    void cancelRow(int page);
    void refresh(int page);
    void pageChanged(int page);
    // After a commit: reopens the table views, puts `page` on the row with `key` (or on row
    // `row` when the key is NULL) and the other pages on the rows they were on.
    void reopenTables(int page, const Value& key, int row);

    Page m_pages[6];
    QTabWidget* m_tabs = nullptr;
    int m_currentPage = 0;
    bool m_switchingBack = false;
    bool m_closed = false;
};
