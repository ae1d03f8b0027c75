#include "core/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "core/app.h"
#include "core/guard.h"
#include "core/version.h"

namespace {
enum class ItemState { Enabled, Hidden, HiddenEnabled, Separator };

struct MenuItem {
    const char* item;
    ItemState state = ItemState::Enabled;
};

struct MenuSpec {
    const char* title;
    bool enabledAtStart;
    std::initializer_list<MenuItem> items;  // empty: the entry opens a screen itself
};

const MenuSpec mainMenu[] = {
    {"Átvevö", true, {{"Választás"}}},
    {"Felvásárlási jegy", false, {}},
    {"Östermelö", false, {}},
    {"Termék", false, {}},
    {"Bevallás",
     false,
     {{"2408M-hoz export"},
      {"Bevallás lista"},
      {"Import összevonás"},
      {"Adóhatóági ellenőrzési adatszolgáltatás", ItemState::Hidden}}},
    {"Listák",
     false,
     {{"Termékenkénti lista"},
      {"Östermelönkénti lista"},
      {"Östermelö havi bontásban"},
      {"Kp. napi lista"},
      {"Statisztika"}}},
    {"Segédlet",
     false,
     {{"Ellenörzés"},
      {"Fjegy excel táblába"},
      {"Adatok"},
      {"Régiből import", ItemState::Hidden},
      {"", ItemState::Separator},
      {"Sugó"},
      {"Névjegy"},
      {"Távsegitség"},
      {"Adatok küldése", ItemState::Hidden},
      {"Adat export"},
      {"Magánny.tag?", ItemState::Hidden},
      {"Szerzödés", ItemState::Hidden},
      {"Östermelö import excelböl (*.csv)", ItemState::Hidden},
      {"Adatok mentése"},
      {"Ostermelo egyesites", ItemState::Hidden},
      {"FELIR azon. felvétele", ItemState::Hidden},
      {"Átvevő beállítás"},
      {"Évnyitás"},
      {"Adatátadás készlethez", ItemState::Hidden},
      {"Kamarai szám hossza", ItemState::HiddenEnabled},
      {"Nébih azon. felvétele"},
      {"Windows dátum formátunának módosítása"}}},
    {"Kilépés", true, {}},
};

QString key(const QString& menu, const QString& item) {
    return menu + '/' + item;
}
}  // namespace

MainWindow::MainWindow(App& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Termaro nyilvántartó      2006-2024"));
    buildMenu();
    auto* body = new QLabel(QStringLiteral("Termaro"), this);
    body->setAlignment(Qt::AlignCenter);
    body->setStyleSheet(QStringLiteral("font-size: 28pt; color: #8a9a6a;"));
    setCentralWidget(body);
    resize(900, 560);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    m_app.setBuyerChosenHandler([this] { buyerChosen(); });
    if (m_app.data().onServer()) {
        // Several desks share a server's database: the status line says which one is open.
        auto* database = new QLabel(QStringLiteral("Adatbázis: %1 (%2)")
                                        .arg(m_app.data().databasePath(), m_app.data().loginUser()),
                                    this);
        database->setObjectName(QStringLiteral("databaseLabel"));
        statusBar()->addPermanentWidget(database, 1);
    }
    setScreen(QStringLiteral("Kilépés"), {}, [this] { close(); });
}

void MainWindow::buildMenu() {
    for (const MenuSpec& spec : mainMenu) {
        const QString title = QString::fromUtf8(spec.title);
        if (spec.items.size() == 0) {
            QAction* action = menuBar()->addAction(title);
            action->setEnabled(spec.enabledAtStart);
            connect(action, &QAction::triggered, this, [this, title] { open(title, {}); });
            m_actions[key(title, {})] = action;
            continue;
        }
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(title);
        menu->menuAction()->setEnabled(spec.enabledAtStart);
        m_menus[title] = menu;
        for (const MenuItem& item : spec.items) {
            if (item.state == ItemState::Separator) {
                menu->addSeparator();
                continue;
            }
            const QString text = QString::fromUtf8(item.item);
            QAction* action = menu->addAction(text);
            action->setVisible(item.state == ItemState::Enabled);
            action->setEnabled(item.state != ItemState::Hidden);
            connect(action, &QAction::triggered, this, [this, title, text] { open(title, text); });
            m_actions[key(title, text)] = action;
        }
    }
}

QAction* MainWindow::menuAction(const QString& menu, const QString& item) const {
    if (item.isEmpty()) {
        if (const auto it = m_menus.find(menu); it != m_menus.end())
            return it->second->menuAction();
    }
    const auto it = m_actions.find(key(menu, item));
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu* MainWindow::menu(const QString& title) const {
    const auto it = m_menus.find(title);
    return it == m_menus.end() ? nullptr : it->second;
}

void MainWindow::setScreen(const QString& menu, const QString& item, std::function<void()> open) {
    m_screens[key(menu, item)] = std::move(open);
}

void MainWindow::open(const QString& menu, const QString& item) {
    const auto it = m_screens.find(key(menu, item));
    if (it == m_screens.end()) {
        // An entry whose screen is not built yet: say so rather than do nothing.
        m_app.ui().message(notAvailableYet);
        return;
    }
    guard(m_app.ui(), it->second);
}

void MainWindow::buyerChosen() {
    for (const char* title : {"Felvásárlási jegy", "Östermelö", "Termék", "Bevallás", "Segédlet",
                              "Listák", "Kilépés"}) {
        if (QAction* action = menuAction(QString::fromUtf8(title))) action->setEnabled(true);
    }
    const RunValues& run = m_app.run();
    const QString name = m_app.data().query("ZQ60").text("V_NEVE");
    setWindowTitle(buyerTitle(run.captionPrefix, name, run.versionText));
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_titled) return;
    m_titled = true;
    RunValues& run = m_app.run();
    run.versionText = versionText();
    run.captionPrefix = QStringLiteral("Termaro - ");
    setWindowTitle(run.captionPrefix + run.versionText);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_shutDown) {
        m_shutDown = true;
        guard(m_app.ui(), [this] { m_app.shutdown(); });
    }
    QMainWindow::closeEvent(event);
}
