#pragma once

#include "core/ui.h"

class QWidget;

// The real user interface: Qt message boxes, dialogs, clipboard, shell and the report preview.
class QtUi : public Ui {
public:
    QtUi();
    // The folder file dialogs start in when the request names none (the program's working folder).
    void setWorkFolder(const QString& folder) { m_workFolder = folder; }

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
    static QWidget* parentWindow();
    QString m_workFolder;
};
