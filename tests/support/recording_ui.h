#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>

#include "core/ui.h"
#include "report/report_job.h"

// A Ui that records what the program says and answers from prepared queues.
class RecordingUi : public Ui {
public:
    QStringList messages;  // texts of message, notice, ask, information and error, in order
    int beeps = 0;
    QWidget* lastFocus = nullptr;
    QString clipboard;
    QList<ReportJob> reports;
    QStringList opened;
    QStringList launched;        // program and arguments joined by blanks
    bool launchSucceeds = true;  // what launch() answers
    // When set, the file dialogs move the process's current folder to the picked file's folder,
    // as some platforms' native dialogs do; the program must not depend on the current folder.
    bool dialogsMoveCurrentFolder = false;
    QStringList errors;         // the texts that went through error()
    std::deque<bool> answers;   // for ask(); Yes when empty
    std::deque<QString> files;  // for the file and folder dialogs; "" when empty
    std::map<QString, std::function<int(QDialog&)>> onModal;  // by the screen's objectName

    void message(const QString& text) override;
    void notice(const QString& text) override;
    bool ask(const QString& text) override;
    void information(const QString& caption, const QString& text) override;
    void error(const QString& text) override;
    void beep() override;
    void focus(QWidget* widget) override;
    int showModal(QDialog& dialog) override;
    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;
    QString chooseFolder(const QString& start) override;
    void setClipboardText(const QString& text) override;
    void openExternal(const QString& target) override;
    void preview(const ReportJob& job) override;
    bool launch(const QString& program, const QStringList& args) override;

private:
    QString nextFile();
};
