#pragma once

#include <QMainWindow>
#include <functional>
#include <map>

class App;
class QAction;
class QMenu;

// The main window: a bar with the main menu; every function opens a modal screen from it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(App& app, QWidget* parent = nullptr);

    // The action of a menu item ("Segédlet", "Évnyitás"), or of a top-level entry that opens a
    // screen itself ("Termék", ""). nullptr when there is no such item.
    QAction* menuAction(const QString& menu, const QString& item = {}) const;
    QMenu* menu(const QString& title) const;
    // What an item opens; set by the program's wiring.
    void setScreen(const QString& menu, const QString& item, std::function<void()> open);

    // What an entry without a screen says when chosen.
    static inline const QString notAvailableYet =
        QStringLiteral("Ez a funkció ebben a változatban még nem érhető el.");

    // Enables the menus and sets the title after a buyer choice.
    void buyerChosen();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void open(const QString& menu, const QString& item);

    App& m_app;
    std::map<QString, std::function<void()>> m_screens;  // key: menu + '/' + item
    std::map<QString, QAction*> m_actions;
    std::map<QString, QMenu*> m_menus;
    bool m_shutDown = false;
    bool m_titled = false;
};
