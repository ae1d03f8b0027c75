#pragma once

#include <QString>

#include "core/screen.h"

class QLabel;
class QTableView;
class QueryModel;
class Navigator;

// Product list "Termék": every product in a grid with the current one's data beside it. Whichever
// row of ZQ40 is current when the screen closes is the product the caller takes.
class TForm6 : public Screen {
    Q_OBJECT
public:
    explicit TForm6(App& app, QWidget* parent = nullptr);

    // The product list in name order on ZQ40, positioned on the first row whose `column` begins
    // with the product name prefix (no regard to case).
    static void reload(App& app, const QString& column);

    QString orderLine() const;
    void setOrderLine(const QString& text);

protected:
    void onShow() override;

private:
    void sortByTitle(int section);
    void addProduct();
    void changeProduct();
    void deleteProduct();
    void print();
    void showDetails();

    QueryModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    Navigator* m_navigator = nullptr;
    QLabel* m_orderLine = nullptr;
    QList<QLabel*> m_details;  // value labels of "Adatok", named by their column
};
