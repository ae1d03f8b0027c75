#include "declaration/merge_screen.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/paths.h"
#include "declaration/import_merge.h"

namespace {
const QString sameFolderMessage = QStringLiteral("Nem lehet azonos a könyvtár ");
const QString leftoverMessage = QStringLiteral(" Csak bevallás újbóli export ismétlés után!  ");

const char* const helpText =
    "Válassza ki az \"A\" (winchester) és a \"B\" (pen drive) import fájlok könyvtárát, majd "
    "indítsa az összevonást.\n"
    "Az összevonás után hasonlítsa össze az összegeket a két gépen nyomtatott bevallási "
    "listákkal (forintos eltérés lehetséges, mert csak a mennyiség és az egységár tárolt).\n"
    "Ezután mind a két könyvtárban maradt import fájlokat importálja.\n"
    "Az összevonás megismétlése előtt mind a két gépen futtassa újra a bevallás kigyüjtését.";

// The three sums of one side, one per line.
QString figureLines(const char* when, const declaration::AmountFigures& f) {
    const QString w = QString::fromUtf8(when);
    return QStringLiteral(
               "%1 a 401. sor (kifizetett): %2\n%1 a 455. sor (állat): %3\n"
               "%1 a 455. sor (növény): %4")
        .arg(w)
        .arg(f.paid)
        .arg(f.animal)
        .arg(f.plant);
}

QString figuresText(const char* when, const QString& folderA, const QString& folderB) {
    const auto a = declaration::folderFigures(folderA);
    const auto b = declaration::folderFigures(folderB);
    return QStringLiteral("\"A\":\n") + figureLines(when, a) + QStringLiteral("\n\"B\":\n") +
           figureLines(when, b) + QStringLiteral("\nMindösszesen : ") +
           QString::number(a.all() + b.all());
}

void fill(QListWidget* list, const QStringList& names, bool ticked = false) {
    list->clear();
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name, list);
        item->setFlags(Qt::ItemIsEnabled);
        if (ticked) item->setCheckState(Qt::Checked);
    }
}
}  // namespace

TForm24::TForm24(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm24"), QStringLiteral("Két import összevonása"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* sides = new QGridLayout;
    const auto side = [this, sides](int column, const QString& caption, const QString& name,
                                    QLineEdit*& folder, QListWidget*& files, bool sideA) {
        sides->addWidget(new QLabel(caption, this), 0, column, 1, 2);
        folder = new QLineEdit(this);
        folder->setObjectName(QStringLiteral("folder") + name);
        auto* choose = new QPushButton(QStringLiteral("..."), this);
        choose->setObjectName(QStringLiteral("choose") + name);
        choose->setAutoDefault(false);
        sides->addWidget(folder, 1, column);
        sides->addWidget(choose, 1, column + 1);
        files = new QListWidget(this);
        files->setObjectName(QStringLiteral("files") + name);
        sides->addWidget(files, 2, column, 1, 2);
        connectGuarded(folder, &QLineEdit::editingFinished, this, ui(), [this, folder, sideA] {
            if (folder->isModified()) {
                folder->setModified(false);
                folderChanged(sideA);
            }
        });
        onClick(choose, [this, folder, sideA] {
            const QString picked = ui().chooseFolder(folder->text());
            if (picked.isEmpty()) return;
            folder->setText(QDir::toNativeSeparators(picked));
            folderChanged(sideA);
        });
    };
    side(0, QStringLiteral("\"A\" importok (winchester)"), QStringLiteral("A"), m_folderA, m_filesA,
         true);
    side(2, QStringLiteral("\"B\"  importok (pen drive)"), QStringLiteral("B"), m_folderB, m_filesB,
         false);
    layout->addLayout(sides, 1);

    layout->addWidget(new QLabel(QStringLiteral("Mind két listában megtalálhatóak"), this));
    m_both = new QListWidget(this);
    m_both->setObjectName(QStringLiteral("bothList"));
    m_both->setMaximumHeight(120);
    layout->addWidget(m_both);

    auto* figures = new QHBoxLayout;
    m_before = new QLabel(this);
    m_before->setObjectName(QStringLiteral("figuresBefore"));
    m_after = new QLabel(this);
    m_after->setObjectName(QStringLiteral("figuresAfter"));
    figures->addWidget(m_before);
    figures->addWidget(m_after);
    layout->addLayout(figures);
    auto* help = new QLabel(QString::fromUtf8(helpText), this);
    help->setWordWrap(true);
    layout->addWidget(help);

    auto* buttons = new QHBoxLayout;
    m_merge = new QPushButton(QStringLiteral("Összevonás"), this);
    m_merge->setToolTip(
        QStringLiteral("Azonos adóazonositójú östermelö adatok összeadása egy listára hozása."));
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    for (QPushButton* b : {m_merge, cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    onClick(m_merge, [this] { merge(); });
    onClick(cancel, [this] { reject(); });
    resize(820, 640);
}

void TForm24::onShow() {
    m_folderA->setText(
        QDir::toNativeSeparators(windowsDefaultPath(QStringLiteral("c:\\Termaro16\\"))));
    m_folderB->setText(QDir::toNativeSeparators(windowsDefaultPath(QStringLiteral("c:\\"))));
    refreshLists();
}

void TForm24::refreshLists() {
    fill(m_filesA, declaration::importFiles(QDir::fromNativeSeparators(m_folderA->text())));
    fill(m_filesB, declaration::importFiles(QDir::fromNativeSeparators(m_folderB->text())));
}

void TForm24::folderChanged(bool sideA) {
    refreshLists();
    const QString a = QDir::fromNativeSeparators(m_folderA->text());
    const QString b = QDir::fromNativeSeparators(m_folderB->text());
    if (declaration::sameFolder(a, b)) ui().message(sameFolderMessage);
    if (declaration::holdsMergeLeftovers(sideA ? a : b)) ui().message(leftoverMessage);
}

void TForm24::merge() {
    const QString a = QDir::fromNativeSeparators(m_folderA->text());
    const QString b = QDir::fromNativeSeparators(m_folderB->text());
    for (const QString& folder : {a, b}) {
        if (!QFileInfo(folder).isDir()) {
            ui().message(
                QStringLiteral("A mappa nem létezik: %1").arg(QDir::toNativeSeparators(folder)));
            return;
        }
    }
    if (declaration::sameFolder(a, b)) {
        ui().message(sameFolderMessage);
        return;
    }
    if (declaration::holdsMergeLeftovers(a) || declaration::holdsMergeLeftovers(b)) {
        ui().message(leftoverMessage);
        return;
    }
    refreshLists();
    m_before->setText(figuresText("Összevonás előtt", a, b));
    const QStringList pairs =
        declaration::pairedFiles(declaration::importFiles(a), declaration::importFiles(b));
    fill(m_both, pairs, true);
    const QStringList messages = declaration::mergePairs(a, b, pairs);
    for (const QString& m : messages) ui().message(m);
    refreshLists();
    m_after->setText(figuresText("Összevonás után", a, b));
    m_merge->setEnabled(false);
}
