#include "core/qt_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "report/report_job.h"
#include "report/report_preview.h"

QtUi::QtUi() : m_workFolder(QDir::currentPath()) {}

QWidget* QtUi::parentWindow() {
    return QApplication::activeWindow();
}

void QtUi::message(const QString& text) {
    QMessageBox::information(parentWindow(), QApplication::applicationName(), text);
}

void QtUi::notice(const QString& text) {
    QMessageBox::question(parentWindow(), QApplication::applicationName(), text,
                          QMessageBox::StandardButtons(QMessageBox::Yes));
}

bool QtUi::ask(const QString& text) {
    return QMessageBox::question(parentWindow(), QApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtUi::information(const QString& caption, const QString& text) {
    QMessageBox::information(parentWindow(), caption, text);
}

void QtUi::error(const QString& text) {
    QMessageBox::critical(parentWindow(), QApplication::applicationName(), text);
}

void QtUi::beep() {
    QApplication::beep();
}

void QtUi::focus(QWidget* widget) {
    if (widget) widget->setFocus(Qt::OtherFocusReason);
}

int QtUi::showModal(QDialog& dialog) {
    return dialog.exec();
}

namespace {
QString startPath(const QString& workFolder, const FileDialogRequest& request) {
    const QString folder = request.folder.isEmpty() ? workFolder : request.folder;
    return request.fileName.isEmpty() ? folder : QDir(folder).filePath(request.fileName);
}
// Whatever a dialog does to the process's current folder is undone: bare names resolve against
// the working folder, and a screen takes the folder the user picked from the dialog's answer.
template <class Fn>
QString keepingCurrentFolder(Fn&& dialog) {
    const QString before = QDir::currentPath();
    QString answer = std::forward<Fn>(dialog)();
    if (QDir::currentPath() != before) QDir::setCurrent(before);
    return answer;
}
}  // namespace

QString QtUi::openFileName(const FileDialogRequest& request) {
    return keepingCurrentFolder([&] {
        return QFileDialog::getOpenFileName(parentWindow(), request.caption,
                                            startPath(m_workFolder, request), request.filter);
    });
}

QString QtUi::saveFileName(const FileDialogRequest& request) {
    return keepingCurrentFolder([&] {
        return QFileDialog::getSaveFileName(parentWindow(), request.caption,
                                            startPath(m_workFolder, request), request.filter);
    });
}

QString QtUi::chooseFolder(const QString& start) {
    return keepingCurrentFolder([&] {
        return QFileDialog::getExistingDirectory(parentWindow(), QString(),
                                                 start.isEmpty() ? m_workFolder : start);
    });
}

void QtUi::setClipboardText(const QString& text) {
    QApplication::clipboard()->setText(text);
}

void QtUi::openExternal(const QString& target) {
    const bool link =
        target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("mailto:"));
    if (!link && !QFileInfo::exists(target)) {
        message(QStringLiteral("A fájl nem található: %1").arg(QDir::toNativeSeparators(target)));
        return;
    }
    const QUrl url =
        link ? QUrl(target) : QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    if (!QDesktopServices::openUrl(url)) {
        message(QStringLiteral("Nincs program, amely megnyitná: %1")
                    .arg(link ? target : QDir::toNativeSeparators(target)));
    }
}

bool QtUi::launch(const QString& program, const QStringList& args) {
    // Only PATH is searched: a program of the same name in the working folder is never run.
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty()) return false;
    return QProcess::startDetached(found, args);
}

void QtUi::preview(const ReportJob& job) {
    PreviewHooks hooks;
    // Saving a PDF keeps the working folder: the templates are read from there.
    hooks.pdfFileName = [this](const QString& proposed) {
        return keepingCurrentFolder([&] {
            return QFileDialog::getSaveFileName(parentWindow(), QStringLiteral("Mentés PDF-be"),
                                                startPath(m_workFolder, {{}, {}, proposed, {}}),
                                                QStringLiteral("PDF (*.pdf)"));
        });
    };
    hooks.error = [this](const QString& text) { error(text); };
    showReportPreview(job, parentWindow(), hooks);
}
