#include "maintenance/backup_screen.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/clock.h"
#include "core/paths.h"
#include "maintenance/backup.h"
#include "maintenance/server_backup.h"

namespace {
const QString defaultTargetFolder = QStringLiteral("c:\\termaro\\ment\\");

QPushButton* button(QWidget* parent, const QString& name, const QString& caption,
                    const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}
}  // namespace

TForm35::TForm35(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm35"), QStringLiteral("Adatok mentése"), parent) {
    auto* grid = new QGridLayout(this);
    auto* from = button(this, QStringLiteral("Button2"), QStringLiteral("Honnan"),
                        QStringLiteral("Az adatbázis elérésiútvonala"));
    auto* to = button(this, QStringLiteral("Button3"), QStringLiteral("Hová"),
                      QStringLiteral("Kérem adja meg a mentés helyét"));
    auto* save = button(this, QStringLiteral("Button1"), QStringLiteral("Mentés"),
                        QStringLiteral("Mentés végrehajtása."));
    m_source = new QLineEdit(this);
    m_source->setObjectName(QStringLiteral("Edit1"));
    m_target = new QLineEdit(this);
    m_target->setObjectName(QStringLiteral("Edit2"));
    for (QLineEdit* e : {m_source, m_target}) e->setMinimumWidth(420);
    grid->addWidget(from, 0, 0);
    grid->addWidget(m_source, 0, 1);
    grid->addWidget(to, 1, 0);
    grid->addWidget(m_target, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("A kiválasztott útvonalaknak létezni kell."), this),
                    2, 0, 1, 2);
    grid->addWidget(save, 3, 1, Qt::AlignRight);
    onClick(from, [this] { chooseSource(); });
    onClick(to, [this] { chooseTarget(); });
    onClick(save, [this] { this->save(); });
}

QString TForm35::targetFileName() {
    return data().onServer() ? serverBackupFileName(clockNow()) : backupFileName(clockNow());
}

void TForm35::onShow() {
    if (data().onServer()) {
        // The server's backup service reads the database where it lies: the source is the
        // open database, nothing to pick.
        m_source->setText(data().databasePath());
        m_source->setReadOnly(true);
        if (auto* from = findChild<QPushButton*>(QStringLiteral("Button2"))) {
            from->setEnabled(false);
            from->setToolTip(QStringLiteral("A szerveren lévő adatbázis mentése"));
        }
    } else {
        m_source->setText(QDir::toNativeSeparators(data().databasePath()));
    }
    m_target->setText(windowsDefaultPath(defaultTargetFolder) + targetFileName());
    m_source->setFocus();
}

void TForm35::chooseSource() {
    const QFileInfo current(m_source->text());
    const QString picked = ui().openFileName(
        {QStringLiteral("Termaro 2024. évi adatok mentése innen"), current.absolutePath(),
         current.fileName(), QStringLiteral("Firebird adatbázis (*.fdb *.FDB *.Fdb)")});
    if (!picked.isEmpty()) m_source->setText(QDir::toNativeSeparators(picked));
}

void TForm35::chooseTarget() {
    const QFileInfo current(m_target->text());
    const QString filter = data().onServer()
                               ? QStringLiteral("Firebird mentés (*.fbk *.FBK)")
                               : QStringLiteral("Firebird adatbázis (*.fdb *.FDB *.Fdb)");
    const QString picked =
        ui().saveFileName({QStringLiteral("Termaro 2024. évi adatok mentése ide"),
                           current.absolutePath(), current.fileName(), filter});
    if (picked.isEmpty()) return;
    // The folder the user picked; the name is always the time stamp of now.
    const QFileInfo chosen(picked);
    const QString folder = chosen.isDir() ? chosen.absoluteFilePath() : chosen.absolutePath();
    m_target->setText(QDir(folder).filePath(targetFileName()));
}

void TForm35::save() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString target = QDir::fromNativeSeparators(m_target->text().trimmed());
    const BackupOutcome outcome =
        data().onServer()
            ? backupFromServer(data().databasePath(), data().loginUser(), data().loginPassword(),
                               target)
            : backupDatabase(QDir::fromNativeSeparators(m_source->text().trimmed()), target);
    QApplication::restoreOverrideCursor();
    if (!outcome.detail.isEmpty()) {
        qWarning("%s: %s", qUtf8Printable(outcome.message), qUtf8Printable(outcome.detail));
    }
    ui().message(outcome.message);
}
