// Producer and product register timings over a large year: prints name=value lines.
// Usage: registers_bench [producers] [tickets] [lines]
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "large_data.h"
#include "registers/producer_entry.h"
#include "registers/producer_list.h"
#include "registers/product_entry.h"
#include "registers/product_list.h"
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

QAbstractButton* button(QWidget* screen, const QString& caption) {
    for (QAbstractButton* b : screen->findChildren<QAbstractButton*>()) {
        if (b->text() == caption) return b;
    }
    return nullptr;
}

void fillProducer(TForm5& entry, const QString& name) {
    const std::pair<const char*, QString> inputs[] = {
        {"O_NEV", name},  {"O_IRSZAM", "6000"},         {"O_HELYSEGNEV", "Kecskemét"},
        {"O_UTCA", "Fő"}, {"O_ADOAZON", "8347708363"},  {"O_ADOSZAM", "71689766103"},
        {"O_SZJA", "15"}, {"O_SZULHELY", "Szeged"},     {"O_SZIDO", "1962.03.14"},
        {"O_NEME", "2"},  {"O_ANYJA", "Nagy Éva"},      {"O_SZULNEV", name},
        {"O_FHAT", "8"},  {"O_ERVKELT1", "2021.01.01"}, {"O_FELIR", "KJ7273177"},
    };
    for (const auto& [column, text] : inputs) entry.field(column)->setText(text);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    LargeDataCounts counts;
    if (argc > 1) counts.producers = std::atoi(argv[1]);
    if (argc > 2) counts.tickets = std::atoi(argv[2]);
    if (argc > 3) counts.lines = std::atoi(argv[3]);
    counts.firstProducerCode = 10001;  // so that a new producer and product can be added
    counts.firstProductCode = 1001;

    AppFixture f;
    f.chooseBuyer();
    report("large_data_fill_ms", timed([&] { fillLargeData(f.data(), counts); }));
    std::printf("producers=%d\n", counts.producers);

    // The statement and the positioning alone, without the screen.
    f.run().rememberedProducerCode = QStringLiteral("nincs");
    report("producer_query_reload_ms", timed([&] { TForm4::reload(f.app()); }));
    report("producer_query_locate_late_name_ms",
           timed([&] { f.data().query("ZQ30").locate("O_NEV", "Vörös Erzs", true, true); }));
    f.run().rememberedProducerCode.clear();

    std::unique_ptr<TForm4> list;
    const auto openList = [&] {
        list = std::make_unique<TForm4>(f.app());
        list->show();
    };
    // Worst case: a remembered code that matches nothing makes the positioning read every row.
    f.run().rememberedProducerCode = QStringLiteral("99999");
    report("producer_list_open_worst_ms", timed(openList));
    f.run().rememberedProducerCode.clear();
    report("producer_list_open_ms", timed(openList));

    // Every key of a name late in the alphabet: each release reruns the search.
    auto* search = list->findChild<QLineEdit*>("searchName");
    double searchMax = 0;
    double searchSum = 0;
    const QString typed = QStringLiteral("Vörös Erzs");
    for (int i = 1; i <= typed.size(); ++i) {
        const double ms = timed([&] {
            search->setText(typed.left(i));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier,
                              typed.mid(i - 1, 1));
            QApplication::sendEvent(search, &release);
        });
        searchMax = std::max(searchMax, ms);
        searchSum += ms;
    }
    report("producer_search_key_max_ms", searchMax);
    report("producer_search_key_mean_ms", searchSum / typed.size());
    if (!f.data().query("ZQ30").text("O_NEV").startsWith("Vörös Erzs")) report("search_missed", 1);

    // Re-sort by the marked column: tax id, birth date, NÉBIH id, name.
    auto* grid = list->findChild<QTableView*>("gridZQ30");
    double sortMax = 0;
    for (int column : {5, 10, 25, 1}) {
        grid->setCurrentIndex(grid->model()->index(0, column));
        sortMax =
            std::max(sortMax, timed([&] { Q_EMIT grid->horizontalHeader()->sectionClicked(0); }));
    }
    report("producer_sort_max_ms", sortMax);

    // A new producer saved from the entry, with the list reloaded on its code.
    double entryOpen = 0;
    double save = 0;
    f.ui.onModal["TForm5"] = [&](QDialog& d) {
        auto& entry = static_cast<TForm5&>(d);
        fillProducer(entry, "Zsigmond Ödön");
        save = timed([&] { button(&entry, "OK")->click(); });
        return entry.result();
    };
    entryOpen = timed([&] { button(list.get(), "Új")->click(); }) - save;
    report("producer_entry_open_ms", entryOpen);
    report("producer_save_reload_ms", save);

    // A change of a producer in the middle of the name order.
    f.data().query("ZQ30").moveTo(counts.producers / 2);
    f.ui.onModal["TForm5"] = [&](QDialog& d) {
        auto& entry = static_cast<TForm5&>(d);
        entry.field("O_UTCA")->setText("Kossuth Lajos");
        save = timed([&] { button(&entry, "OK")->click(); });
        return entry.result();
    };
    button(list.get(), "Módosít")->click();
    report("producer_change_save_reload_ms", save);
    // The new producer is on no ticket, so it may go.
    f.data().query("ZQ30").locate("O_NEV", "Zsigmond Ödön", false, false);
    report("producer_delete_ms", timed([&] { button(list.get(), "Töröl")->click(); }));
    if (f.ui.messages == QStringList{"Az őstermelő sor törlölve!"}) f.ui.messages.clear();
    list.reset();

    std::unique_ptr<TForm6> products;
    report("product_list_open_ms", timed([&] {
               products = std::make_unique<TForm6>(f.app());
               products->show();
           }));
    f.ui.onModal["TForm7"] = [&](QDialog& d) {
        auto& entry = static_cast<TForm7&>(d);
        entry.field("T_MEGNEVEZES")->setText("Csemegekukorica");
        entry.field("T_MEGY")->setText("kg");
        save = timed([&] { button(&entry, "OK")->click(); });
        return entry.result();
    };
    button(products.get(), "Új")->click();
    report("product_save_reload_ms", save);
    if (!f.ui.messages.isEmpty()) report("unexpected_messages", f.ui.messages.size());
    for (const QString& m : f.ui.messages) std::fprintf(stderr, "%s\n", qPrintable(m));
    return 0;
}
