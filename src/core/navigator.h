#pragma once

#include <QWidget>

class Query;
class QToolButton;
class Ui;

// Record navigator over a pool query: first, prior, next, last; the raw table editor adds the
// editing buttons, whose clicks it handles through the signals.
class Navigator : public QWidget {
    Q_OBJECT
public:
    enum class Buttons { Moving, Editing };
    Navigator(Query& query, Ui& ui, Buttons buttons = Buttons::Moving, QWidget* parent = nullptr);

Q_SIGNALS:
    void moved();  // after any move
    void insertClicked();
    void deleteClicked();
    void editClicked();
    void postClicked();
    void cancelClicked();
    void refreshClicked();

private:
    QToolButton* addButton(const QString& name, const QString& text, const QString& hint);
    Query& m_query;
    Ui& m_ui;
};
