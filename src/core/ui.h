#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;
struct ReportJob;

struct FileDialogRequest {
    QString caption;
    QString folder;    // start folder ("" = working folder)
    QString fileName;  // proposed name
    QString filter;    // "Import file (*.imp)"
};

// Every interaction with the user goes through this port; QtUi is the real one, tests record.
class Ui {
public:
    virtual ~Ui() = default;
    virtual void message(const QString& text) = 0;
    virtual void notice(const QString& text) = 0;  // confirmation box with the single button Yes
    virtual bool ask(const QString& text) = 0;     // Yes/No
    virtual void information(const QString& caption, const QString& text) = 0;
    virtual void error(const QString& text) = 0;  // the general error display
    virtual void beep() = 0;
    virtual void focus(QWidget* widget) = 0;
    virtual int showModal(QDialog& dialog) = 0;
    virtual QString openFileName(const FileDialogRequest& request) = 0;
    virtual QString saveFileName(const FileDialogRequest& request) = 0;
    virtual QString chooseFolder(const QString& start) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual void openExternal(const QString& target) = 0;
    virtual void preview(const ReportJob& job) = 0;
    // Starts another program found on PATH (never from the current folder); false when it is
    // not found or does not start.
    virtual bool launch(const QString& program, const QStringList& args) = 0;
};
