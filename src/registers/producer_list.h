#pragma once

#include <QString>

#include "core/screen.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QueryModel;
class Navigator;

// Producer list "Őstermelő": every producer in a grid with the current one's data beneath it.
// Whichever row of ZQ30 is current when the screen closes is the producer the caller takes.
class TForm4 : public Screen {
    Q_OBJECT
public:
    explicit TForm4(App& app, QWidget* parent = nullptr);

    // The reload the list and the producer entry share: the producer list in name order on ZQ30,
    // positioned on the first code beginning with the remembered producer code.
    static void reload(App& app);

    QString orderLine() const;
    void setOrderLine(const QString& text);

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openList(const QString& orderBy);
    void searchByName();
    void sortByMarkedColumn();
    void addProducer();
    void changeProducer();
    void deleteProducer();
    void print();
    void copyFelir();
    void showDetails();
    int printedTicketCount();

    QueryModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    Navigator* m_navigator = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_orderLine = nullptr;
    QPushButton* m_change = nullptr;
    QList<QLabel*> m_details;  // value labels of "Adata", named by their column
};
