#include "maintenance/send_data.h"

#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>
#include <QUrlQuery>

#include "core/paths.h"

namespace {
const QString supportAddress = QStringLiteral("helpdesk@termaro.hu");
}

TForm27::TForm27(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm27"), QStringLiteral("Adatok elküldése  emailben"), parent) {
    auto* grid = new QGridLayout(this);
    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setRootPath(QDir::rootPath());
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_tree->setModel(m_folders);
    for (int c = 1; c < m_folders->columnCount(); ++c) m_tree->hideColumn(c);
    m_tree->header()->hide();
    m_tree->setMinimumSize(360, 220);
    grid->addWidget(m_tree, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("A küldendő fálj neve :"), this), 1, 0);
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("Edit1"));
    grid->addWidget(m_file, 1, 1, 1, 2);
    auto* send1 = new QPushButton(QStringLiteral("Küldés1"), this);
    auto* send2 = new QPushButton(QStringLiteral("Küldés2"), this);
    auto* copy = new QPushButton(QStringLiteral("Vágólapra másolás"), this);
    auto* close = new QPushButton(QStringLiteral("Mégsem"), this);
    grid->addWidget(send1, 2, 0);
    grid->addWidget(send2, 2, 1);
    grid->addWidget(copy, 2, 2);
    auto* note =
        new QLabel(QStringLiteral("Ha sikeres volt akkor a levelezései között megtalálható.\n"
                                  "A fájl nevét másolja a vágólapra, majd a levelező programban a "
                                  "csatolandó fájl mezőjébe illessze be CTRL + V billentyűkkel."),
                   this);
    note->setWordWrap(true);
    grid->addWidget(note, 3, 0, 1, 3);
    grid->addWidget(close, 4, 2);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                guard(ui(), [&] { chooseFolder(m_folders->filePath(index)); });
            });
    // Mail automation (Outlook) does not exist here; the mail link is the way to send.
    onClick(send1, [this] {
        ui().message(
            QStringLiteral("Ezen a gépen a levelezö program közvetlenül nem érhetö el. "
                           "Kérem használja a \"Küldés2\" gombot."));
    });
    onClick(send2, [this] { ui().openExternal(mailLink()); });
    onClick(copy, [this] { ui().setClipboardText(m_file->text()); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QString TForm27::mailLink() {
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(supportAddress);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("Fjegy adatok "));
    query.addQueryItem(QStringLiteral("body"),
                       QStringLiteral("Termaro adatok elküldése ellenőrzésre. Figyelmeztetés: "
                                      "csatolt fálj mellékelni kell! "));
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

void TForm27::chooseFolder(const QString& folder) {
    const QStringList found =
        QDir(folder).entryList({QStringLiteral("termaro.fdb")}, QDir::Files, QDir::Name);
    // Name filters ignore case, as the folder search of the original platform does.
    m_file->setText(found.isEmpty()
                        ? QString()
                        : QDir::toNativeSeparators(QDir(folder).filePath(found.first())));
}

void TForm27::onShow() {
    QString start = windowsDefaultPath(QStringLiteral("C:\\TERMARO\\"));
    if (!QDir(start).exists()) start = app().workFolder();
    const QModelIndex index = m_folders->index(start);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
    chooseFolder(start);
}
