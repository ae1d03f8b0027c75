// Builds the user guide "sugo.pdf" from its HTML text with Qt's own PDF writer.
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) return 2;
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) return 1;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(in.readAll()));
    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Termaro – felhasználói leírás"));
    document.print(&writer);
    return 0;
}
