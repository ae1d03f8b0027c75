#include "support/recording_ui.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

void RecordingUi::message(const QString& text) {
    messages << text;
}
void RecordingUi::notice(const QString& text) {
    messages << text;
}

bool RecordingUi::ask(const QString& text) {
    messages << text;
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingUi::information(const QString& caption, const QString& text) {
    messages << text;
}

void RecordingUi::error(const QString& text) {
    messages << text;
    errors << text;
}

void RecordingUi::beep() {
    ++beeps;
}

void RecordingUi::focus(QWidget* widget) {
    lastFocus = widget;
    if (widget) widget->setFocus();
}

int RecordingUi::showModal(QDialog& dialog) {
    dialog.show();  // runs the screen's on-show logic
    QApplication::processEvents();
    int result = QDialog::Rejected;
    const auto handler = onModal.find(dialog.objectName());
    if (handler != onModal.end() && dialog.isVisible()) {
        result = handler->second(dialog);
    } else if (!dialog.isVisible()) {
        result = dialog.result();
    }
    if (dialog.isVisible()) dialog.done(handler != onModal.end() ? result : QDialog::Rejected);
    return handler != onModal.end() ? result : dialog.result();
}

QString RecordingUi::nextFile() {
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    if (dialogsMoveCurrentFolder && !f.isEmpty()) {
        const QFileInfo picked(f);
        QDir::setCurrent(picked.isDir() ? picked.absoluteFilePath() : picked.absolutePath());
    }
    return f;
}

QString RecordingUi::openFileName(const FileDialogRequest&) {
    return nextFile();
}
QString RecordingUi::saveFileName(const FileDialogRequest&) {
    return nextFile();
}
QString RecordingUi::chooseFolder(const QString&) {
    return nextFile();
}
void RecordingUi::setClipboardText(const QString& text) {
    clipboard = text;
}
void RecordingUi::openExternal(const QString& target) {
    opened << target;
}
void RecordingUi::preview(const ReportJob& job) {
    reports << job;
}
bool RecordingUi::launch(const QString& program, const QStringList& args) {
    launched << (QStringList{program} + args).join(QLatin1Char(' '));
    return launchSucceeds;
}
