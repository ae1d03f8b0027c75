// Raw table editor timings over a large year: prints name=value lines.
// Usage: maintenance_bench [tickets] [lines]
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <cstdio>
#include <functional>

#include "large_data.h"
#include "maintenance/table_editor.h"
#include "support/app_fixture.h"

namespace {

void report(const char* name, double value) {
    std::printf("%s=%.1f\n", name, value);
    std::fflush(stdout);
}

// Milliseconds of one action, the repaint it causes included.
double timed(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    LargeDataCounts counts;
    if (argc > 1) counts.tickets = std::atoi(argv[1]);
    if (argc > 2) counts.lines = std::atoi(argv[2]);

    AppFixture f;
    f.chooseBuyer();
    report("large_data_fill_ms", timed([&] { fillLargeData(f.data(), counts); }));
    std::printf("lines=%d\n", counts.lines);

    TForm22 screen(f.app());
    report("table_editor_open_ms", timed([&] { screen.show(); }));
    f.ui.onModal["TPasswordDlg"] = [](QDialog& d) {
        d.findChild<QLineEdit*>("Password")->setText("581926047");
        return int(QDialog::Accepted);
    };
    QPushButton* unlock = nullptr;
    for (QPushButton* b : screen.findChildren<QPushButton*>())
        if (b->text() == "Szerkeszt") unlock = b;
    report("table_editor_unlock_ms", timed([&] { unlock->click(); }));

    // The ticket lines: the last row changed and posted, then a new row added and posted.
    auto* grid = screen.findChild<QTableView*>("DBGrid2");
    auto* navigator = screen.findChild<QWidget*>("DBNavigator2");
    const auto press = [&](const char* name) { navigator->findChild<QToolButton*>(name)->click(); };
    QAbstractItemModel* model = grid->model();
    int column = -1;
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->headerData(c, Qt::Horizontal).toString() == "S_BIZONYLAT") column = c;
    report("line_last_ms", timed([&] { press("last"); }));
    const int last = grid->currentIndex().row();
    model->setData(model->index(last, column), "B1", Qt::EditRole);
    report("line_post_last_ms", timed([&] { press("post"); }));
    report("line_insert_ms", timed([&] { press("insert"); }));
    model->setData(model->index(model->rowCount() - 1, column), "B2", Qt::EditRole);
    report("line_post_new_ms", timed([&] { press("post"); }));
    report("line_rows", model->rowCount());
    if (!f.ui.messages.isEmpty()) report("messages", f.ui.messages.size());
    screen.done(QDialog::Rejected);
    return 0;
}
