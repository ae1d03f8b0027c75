#include "maintenance/about_box.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm16::TForm16(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm16"), QStringLiteral("Névjegy"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Memo1"));
    text->setReadOnly(true);
    text->setPlainText(QStringLiteral("TERMARO\nFELVÁSÁRLÁSI JEGY NYILVÁNTARTÓ\n\n%1\n\n"
                                      "Termaro fejlesztők\nhelpdesk@termaro.hu")
                           .arg(this->app().run().versionText));
    // Centred lines: the document's default text option applies to every paragraph.
    QTextOption centred = text->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    text->document()->setDefaultTextOption(centred);
    text->setMinimumSize(360, 180);
    layout->addWidget(text);
    auto* close = new QPushButton(QStringLiteral("Mégsem"), this);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}
