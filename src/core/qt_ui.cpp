#include "core/qt_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "report/report_job.h"
#include "report/report_preview.h"

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
QString startPath(const FileDialogRequest& request) {
    QString folder = request.folder.isEmpty() ? QDir::currentPath() : request.folder;
    return request.fileName.isEmpty() ? folder : QDir(folder).filePath(request.fileName);
}
// The file dialogs move the working folder to the folder the user picked.
QString picked(const QString& path) {
    if (!path.isEmpty()) QDir::setCurrent(QFileInfo(path).absolutePath());
    return path;
}
}  // namespace

QString QtUi::openFileName(const FileDialogRequest& request) {
    return picked(QFileDialog::getOpenFileName(parentWindow(), request.caption, startPath(request),
                                               request.filter));
}

QString QtUi::saveFileName(const FileDialogRequest& request) {
    return picked(QFileDialog::getSaveFileName(parentWindow(), request.caption, startPath(request),
                                               request.filter));
}

QString QtUi::chooseFolder(const QString& start) {
    return QFileDialog::getExistingDirectory(parentWindow(), QString(), start);
}

void QtUi::setClipboardText(const QString& text) {
    QApplication::clipboard()->setText(text);
}

void QtUi::openExternal(const QString& target) {
    const QUrl url =
        target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("mailto:"))
            ? QUrl(target)
            : QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    QDesktopServices::openUrl(url);  // a missing program or viewer does nothing
}

void QtUi::preview(const ReportJob& job) {
    PreviewHooks hooks;
    // Saving a PDF keeps the working folder: the templates are read from there.
    hooks.pdfFileName = [](const QString& proposed) {
        return QFileDialog::getSaveFileName(parentWindow(), QStringLiteral("Mentés PDF-be"),
                                            startPath({{}, {}, proposed, {}}),
                                            QStringLiteral("PDF (*.pdf)"));
    };
    hooks.error = [this](const QString& text) { error(text); };
    showReportPreview(job, parentWindow(), hooks);
}
