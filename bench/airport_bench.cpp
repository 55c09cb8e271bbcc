#include "bench/airport_bench.h"

#include "tables/airport_box_widget.h"
#include "tables/airport_manager_dialog.h"
#include "tables/airport_table.h"
#include "tables/airport_zones.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using namespace quorvel::ui;

namespace quorvel::bench {

namespace {

namespace fs = std::filesystem;

struct SilentPrompter final : Prompter {
    void message(std::string_view, std::string_view) override {}
    bool confirm(std::string_view, std::string_view) override { return false; }
};

// The median of `runs` timings of `work`, in milliseconds; `prepare` runs untimed before each.
double medianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void typeInto(QWidget* target, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QApplication::processEvents();  // the box repaints the selection it moved to
    }
}

}  // namespace

int runAirportBenchmarks(const fs::path& airportTable, const fs::path& zonesFile, bool smoke)
{
    const int runs = smoke ? 1 : 15;
    SilentPrompter prompter;
    tables::AirportLookup lookup;
    tables::AirportZones zones;

    struct Figure {
        std::string name;
        double ms = 0;
    };
    std::vector<Figure> figures;
    const auto nothing = [] {};

    // The program folder the manager opens: the table file alone.
    const fs::path folder = fs::temp_directory_path() / ("quorvel-airport-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::copy_file(airportTable, folder / tables::airportFileName, fs::copy_options::overwrite_existing);

    figures.push_back(
        {"load of the airport table at start-up", medianMs(runs, nothing, [&] { lookup.load(airportTable); })});
    const std::size_t rows = lookup.size();
    figures.push_back({"load of the airports' time zones", medianMs(runs, nothing, [&] { zones.load(zonesFile); })});

    std::unique_ptr<TAManager> manager;
    figures.push_back({"opening the Airport Manager (load, first paint)", medianMs(
                                                                              runs, [&] { manager.reset(); },
                                                                              [&] {
                                                                                  manager = std::make_unique<TAManager>(
                                                                                      prompter, folder);
                                                                                  manager->show();
                                                                                  QApplication::processEvents();
                                                                              })});
    for (const auto& [index, name] : {std::pair<int, const char*>{0, "sorting the manager by ICAO_CODE"},
                                      {1, "sorting the manager by DESCRIPTION"}}) {
        figures.push_back({name, medianMs(
                                     runs,
                                     [&, index = index] {
                                         manager->RadioGroup1->setItemIndex(1 - index);
                                         manager->RadioGroup1Click();
                                         QApplication::processEvents();
                                     },
                                     [&, index = index] {
                                         manager->RadioGroup1->setItemIndex(index);
                                         manager->RadioGroup1Click();
                                         QApplication::processEvents();
                                     })});
    }
    manager.reset();

    AirportBox box(lookup);
    box.reload();
    box.show();
    QApplication::processEvents();
    // A search that runs to the end of the list, one key at a time, each key a repaint.
    for (const QString& typed : {QStringLiteral("ZURICH"), QStringLiteral("AALBORG")}) {
        figures.push_back({"airport box: typing \"" + typed.toStdString() + "\" (per key)",
                           medianMs(
                               runs,
                               [&] {
                                   box.setCurrentIndex(0);
                                   box.setSearchPause(60'000);
                                   QApplication::processEvents();
                               },
                               [&] { typeInto(box.lineEdit(), typed); }) /
                               double(typed.size())});
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &escape);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);

    std::cout << "\nairport list: " << rows << " rows, " << zones.size() << " zones; median of " << runs << " runs\n";
    std::printf("| %-52s | %9s | %-7s |     |\n|%s|%s|%s|-----|\n", "figure", "ours", "budget",
                std::string(54, '-').c_str(), std::string(11, '-').c_str(), std::string(9, '-').c_str());
    int met = 0;
    for (const Figure& f : figures) {
        const bool ok = f.ms < 50;
        met += ok;
        std::printf("| %-52s | %6.2f ms | < 50 ms | %s |\n", f.name.c_str(), f.ms, ok ? "met" : "MISSED");
    }
    std::cout << "budgets: " << met << " of " << figures.size() << " met\n";
    return smoke || met == int(figures.size()) ? 0 : 1;
}

}  // namespace quorvel::bench
