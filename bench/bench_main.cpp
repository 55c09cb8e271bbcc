// quorvel-bench: how fast Quorvel converts, saves, loads and queries a million flight records,
// against SQLite answering the same board query, and whether each figure keeps its budget; and
// how long the inputs of the stated limits take (tests/support/limit_inputs.h), without budgets.
//
//   quorvel-bench --data FOLDER [--records N] [benchmark options]   the full run (bench/run)
//   quorvel-bench --smoke                                           one short pass on small data
//   --full-scan                  the board query by the tests' scan of the whole table, to compare
//   quorvel-bench --airports [--smoke]                               the airport list figures alone
//
// The data is made once in FOLDER: made-up traffic (qrvl-traffic's generator, seed 1), the
// aircraft table from its simulator folder, the shipped airport table, and a program folder
// for the start-up figure. The summary table and "budgets: M of N met" come last; the exit
// status is 1 when a budget is missed (never in --smoke, which checks only that all runs).

#include "about/elf_section.h"
#include "aircraft/aircraft_scan.h"
#include "bench/airport_bench.h"
#include "bench/bench_probe.h"
#include "bench/sqlite_board.h"
#include "board/board_grid_view.h"
#include "board/board_model.h"
#include "board/board_query.h"
#include "board/board_time.h"
#include "convert/conversion_run.h"
#include "convert/leg_rules.h"
#include "convert/traffic_check.h"
#include "convert/traffic_check_dialog.h"
#include "flags/flag_list.h"
#include "platform/atomic_file.h"
#include "platform/file_stamp_cache.h"
#include "platform/free_memory.h"
#include "platform/ini_file.h"
#include "tables/aircraft_table.h"
#include "tables/airport_box_widget.h"
#include "tables/airport_table.h"
#include "tables/airport_zones.h"
#include "tables/flight_table.h"
#include "tables/packet.h"
#include "tests/support/board_scan.h"
#include "tests/support/fakes.h"
#include "tests/support/limit_inputs.h"
#include "tools/traffic/traffic_generator.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTableView>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

using namespace quorvel::ui;

namespace fs = std::filesystem;
using namespace quorvel;

namespace {

struct Options {
    fs::path data;
    std::uint64_t records = 1'000'000;
    bool smoke = false;
    bool fullScan = false;  // query the whole table instead of the airport indexes, to compare
};

std::string folded(std::string_view code)
{
    std::string text(code);
    for (char& c : text) c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    return text;
}

std::string withCommas(std::uint64_t n)
{
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// ---- The data, made once ------------------------------------------------------------------

void prepareData(const Options& options)
{
    const fs::path marker = options.data / "ready";
    {
        std::ifstream in(marker);
        std::uint64_t records = 0;
        if (in >> records && records == options.records) return;
    }
    std::cerr << "Making " << withCommas(options.records) << " records of traffic in " << options.data << "...\n";
    fs::create_directories(options.data);
    traffic::TrafficOptions traffic;
    traffic.records = options.records;
    const traffic::Traffic made =
        traffic::makeTraffic(traffic, traffic::readAirportCodes(fs::path(QRVL_SOURCE_DIR) / "data" / "airports.csv"));
    traffic::writeTraffic(made, options.data);
    fs::copy_file(QRVL_AIRPORT_TABLE, options.data / tables::airportFileName, fs::copy_options::overwrite_existing);

    struct QuietScan final : aircraft::ScanReport {
        void catalogueStarted() override {}
        void catalogueFinished() override {}
        void progressRange(int) override {}
        void progress(int) override {}
        void warning(std::string_view caption, std::string_view text) override
        {
            throw std::runtime_error(std::string(caption) + ": " + std::string(text));
        }
    } report;
    aircraft::ScanInputs scan;
    scan.simulatorFolder = fs::absolute(options.data / "sim").string();
    for (const auto& entry : fs::directory_iterator(options.data / "sim" / "Aircraft"))
        scan.aircraftFolders.push_back(entry.path().filename().string());
    std::sort(scan.aircraftFolders.begin(), scan.aircraftFolders.end());
    scan.aircraftList = options.data / "aircraft.txt";
    scan.outFile = options.data / tables::aircraftFileName;
    aircraft::scanAircraft(scan, report);

    prepareStartupFolder(options.data / "startup", QRVL_AIRPORT_TABLE, QRVL_SOURCE_DIR);
    platform::writeFileAtomically(marker, std::to_string(options.records) + "\n");
}

// ---- What the benchmarks share ------------------------------------------------------------

struct BoardCase {
    std::string name;         // "departures", "arrivals", "cut on", "midnight wrap"
    std::string airportRole;  // "busiest", "quiet"
    std::string airport;
    board::BoardQuery query;
    std::size_t rows = 0;
};

struct Shared {
    Options options;
    tables::AirportLookup airports;
    std::unique_ptr<tables::LoadedFlights> loaded;
    std::unique_ptr<SqliteBoard> sqlite;
    std::vector<BoardCase> cases;
    board::InstanceQuery zoned;  // the busiest airport in its own time, 24 hours ahead
    std::size_t zonedRows = 0;
    convert::Summary conversion;
    convert::CheckSummary check;
    std::size_t checkProblems = 0;
    std::uint64_t fileBytes = 0;
    int gridRows = 0;
    int switchRows = 0;   // the busiest board in the main window
    int refreshRows = 0;  // the model refresh's board
    int printRows = 0;    // the printed board
    int printPages = 0;
    std::size_t planFileLines = 0;
};

Shared shared;

struct CountingReport final : convert::ConversionReport {
    int maximum = 0, position = 0;
    std::string lastLabel;
    void progressRange(int, int max) override { maximum = max; }
    void progress(int p) override { position = p; }
    void label(std::string_view text) override { lastLabel = text; }
    void logLine(std::string_view) override {}
    void message(std::string_view caption, std::string_view text) override
    {
        throw std::runtime_error("conversion message: " + std::string(caption) + ": " + std::string(text));
    }
    void buttonCaption(std::string_view) override {}
    void pressButton() override {}
};

fs::path flightFile()
{
    return shared.options.data / tables::flightFileName;
}

void convertOnce(benchmark::State& state)
{
    const convert::ConvertInputs inputs{
        .flightPlanFile = shared.options.data / "flightplans.txt",
        .flightTableFile = flightFile(),
        .aircraftTableFile = shared.options.data / tables::aircraftFileName,
        .airports = shared.airports,
        .overrideDst = false,
        .zone = {},
        // A zone an hour east of Greenwich, so every time is moved as on most users' machines,
        // whatever this machine's zone is.
        .utcOffsetHours = -1,
    };
    for (auto _ : state) {
        state.PauseTiming();
        tables::createEmptyFlightFile(flightFile());  // what the progress dialog does before the run
        CountingReport report;
        const std::atomic<bool> stop{false};
        state.ResumeTiming();
        shared.conversion = convert::convert(inputs, report, stop);
        state.PauseTiming();
        if (shared.conversion.outcome != convert::Outcome::Finished)
            state.SkipWithError(("conversion ended early: " + shared.conversion.problem).c_str());
        // The last label must show the final count exactly.
        const std::string expected =
            "Flights:" + std::to_string(shared.conversion.planLines) + "/" + std::to_string(report.maximum);
        if (report.lastLabel != expected)
            state.SkipWithError(("last label " + report.lastLabel + ", not " + expected).c_str());
        shared.planFileLines = std::size_t(report.maximum);
        state.ResumeTiming();
    }
}

// The check of the same traffic, as Convert > "Check FlightPlans..." runs it: with the aircraft
// list, the aircraft table and the airport table.
convert::CheckInputs checkInputs()
{
    return convert::CheckInputs{
        .flightPlanFile = shared.options.data / "flightplans.txt",
        .aircraftListFile = shared.options.data / "aircraft.txt",
        .airports = shared.airports,
        .aircraftTableFile = shared.options.data / tables::aircraftFileName,
        .utcOffsetHours = -1,  // as the conversion's
        .installedTitles = {},
    };
}

void checkOnce(benchmark::State& state)
{
    const convert::CheckInputs inputs = checkInputs();
    for (auto _ : state) {
        convert::CheckResult result = convert::checkTraffic(inputs);
        state.PauseTiming();
        shared.check = result.summary;
        shared.checkProblems = result.problems.size();
        if (result.summary.records != shared.conversion.records)
            state.SkipWithError(("the check counts " + std::to_string(result.summary.records) +
                                 " records, the conversion made " + std::to_string(shared.conversion.records))
                                    .c_str());
        {
            const auto discard = std::move(result);
        }  // freeing the problems is not part of the check
        state.ResumeTiming();
    }
}

// The check window over that traffic: until it is on the screen (the check running behind it),
// or until its table shows the problems.
void checkWindowOnce(benchmark::State& state, bool untilResult)
{
    test::ScriptedPrompter prompter;
    test::ScriptedFileDialogs fileDialogs;
    for (auto _ : state) {
        auto window =
            std::make_unique<TrafficCheckDialog>(checkInputs(), prompter, fileDialogs, shared.options.data, true);
        window->show();
        QCoreApplication::processEvents();
        if (untilResult) {
            window->waitForCheck();
            QCoreApplication::processEvents();
            if (window->problemView->model()->rowCount() != int(shared.checkProblems))
                state.SkipWithError("the window shows other problems than the check found");
        }
        state.PauseTiming();
        window.reset();  // a check still running is stopped and joined
        state.ResumeTiming();
    }
}

void saveOnce(benchmark::State& state)
{
    const fs::path copy = shared.options.data / "flight-saved.cds";
    for (auto _ : state) tables::writePacketFile(shared.loaded->table, copy);
    shared.fileBytes = fs::file_size(copy);
    fs::remove(copy);
}

void loadOnce(benchmark::State& state)
{
    for (auto _ : state) {
        auto loaded = tables::loadFlights(flightFile(), platform::availablePhysicalMemory());
        benchmark::DoNotOptimize(loaded.totalFlights);
        state.PauseTiming();
        {
            auto discard = std::move(loaded);
        }  // freeing a million rows is not part of the load
        state.ResumeTiming();
    }
}

// What the board shows through our query: the same call the main window makes.
tables::View ourSelect(const board::BoardQuery& query)
{
    return shared.options.fullScan ? test::scanBoard(shared.loaded->table, query)
                                   : board::select(*shared.loaded, query);
}

// The busiest airport in airport time with a 24-hour window from Wednesday 13:45 there.
void pickZonedCase(const std::string& airport)
{
    tables::AirportZones zones;
    zones.load(fs::path(QRVL_AIRPORT_ZONES));
    const std::optional<int> recorded = board::recordedUtcOffsetHours(shared.loaded->table);
    board::BoardInputs inputs;
    inputs.airport = airport;
    inputs.moment = *parseLocalDateTime("2024-05-15 13:45");
    board::TimeInputs time;
    time.mode = board::TimeMode::Airport;
    time.windowHours = 24;
    if (const auto zone = zones.zoneOf(airport)) time.airportZone = std::string(*zone);
    time.utcOffsetHours = recorded.value_or(0);
    shared.zoned = board::buildInstanceQuery(inputs, time);
    shared.sqlite->addInstances(shared.loaded->table, shared.zoned.toGreenwich ? time.utcOffsetHours : 0);
    const board::Instances ours = board::selectInstances(*shared.loaded, shared.zoned);
    const board::Instances theirs = shared.sqlite->selectInstances(shared.zoned);
    if (ours.rows != theirs.rows || ours.minutes != theirs.minutes)
        throw std::runtime_error("the board in airport time and SQLite disagree at " + airport + ": " +
                                 std::to_string(ours.rows.size()) + " rows against " +
                                 std::to_string(theirs.rows.size()));
    shared.zonedRows = ours.rows.size();
}

void pickCases()
{
    const tables::Table& table = shared.loaded->table;
    std::map<std::string, std::size_t> departures;
    for (tables::RowId row = 0; row < table.rowCount(); ++row)
        ++departures[folded(table.text(row, tables::IcaoCodeDep))];
    std::string busiest;
    std::vector<std::pair<std::size_t, std::string>> byCount;
    for (const auto& [code, count] : departures) {
        if (busiest.empty() || count > departures[busiest]) busiest = code;
        if (shared.airports.indexOfCode(code)) byCount.emplace_back(count, code);
    }
    std::sort(byCount.begin(), byCount.end());
    const std::string quiet = byCount[byCount.size() / 2].second;  // the median airport of the list

    struct Shape {
        const char* name;
        board::Direction direction;
        const char* moment;
        bool cut15;
    };
    // Wednesday 13:45, and Thursday 00:10, whose 15-minute cut reaches back into Wednesday.
    const Shape shapes[] = {
        {"departures", board::Direction::Departure, "2024-05-15 13:45", false},
        {"arrivals", board::Direction::Arrival, "2024-05-15 13:45", false},
        {"cut on", board::Direction::Departure, "2024-05-15 13:45", true},
        {"midnight wrap", board::Direction::Departure, "2024-05-16 00:10", true},
    };
    for (const auto& [role, code] : {std::pair<const char*, std::string>{"busiest", busiest}, {"quiet", quiet}})
        for (const Shape& shape : shapes) {
            board::BoardInputs inputs;
            inputs.airport = code;
            inputs.direction = shape.direction;
            inputs.moment = *parseLocalDateTime(shape.moment);
            inputs.cut15 = shape.cut15;
            BoardCase c{shape.name, role, code, board::buildQuery(inputs), 0};
            const tables::View ours = ourSelect(c.query);
            const tables::View theirs = shared.sqlite->select(c.query);
            if (ours != theirs)
                throw std::runtime_error("the board query and SQLite disagree on " + c.name + " at " + code + ": " +
                                         std::to_string(ours.size()) + " rows against " +
                                         std::to_string(theirs.size()));
            c.rows = ours.size();
            shared.cases.push_back(std::move(c));
        }
    pickZonedCase(busiest);
}

// ---- The grid -----------------------------------------------------------------------------

struct Grid {
    flags::FlagList flagList;
    platform::SystemFileClock fileClock;
    BoardModel model;
    QTableView view;
    tables::View rows;

    Grid()
    {
        // Flags for the busiest airport's airlines, so the delegate paints pictures as well as texts.
        const fs::path flagFolder = fs::path(QRVL_SOURCE_DIR) / "data" / "flag";
        const char* pictures[] = {"alp", "AZL", "CVX", "TAT", "nsk"};
        const tables::Table& table = shared.loaded->table;
        rows = ourSelect(shared.cases.front().query);
        if (rows.size() > 10'000) rows.resize(10'000);
        std::vector<std::string> lines;
        std::map<std::string, int> seen;
        for (const tables::RowId row : rows) {
            const std::string airline(table.text(row, tables::Airline));
            if (seen.emplace(airline, 0).second && seen.size() % 2 == 0)
                lines.push_back(airline + "=" + pictures[seen.size() / 2 % std::size(pictures)]);
        }
        flagList = flags::FlagList(lines);
        view.setModel(&model);
        configureBoardGrid(view, flagList, flagFolder, fileClock);
        applyBoardColours(view, Qt::black, Qt::white);
        view.resize(705, 400);  // the main window's grid
        model.showView(&table, rows);
        view.show();
        QApplication::processEvents();
    }
};

std::unique_ptr<Grid> grid;

void refreshOnce(benchmark::State& state)
{
    if (!grid) grid = std::make_unique<Grid>();
    for (auto _ : state) {
        grid->model.showView(&shared.loaded->table, grid->rows);
        QApplication::processEvents();
    }
    shared.gridRows = grid->model.rowCount();
}

// The model of the grid takes the busiest airport's whole board: the reset and what the grid
// does about it at once, before anything is painted.
void modelRefreshOnce(benchmark::State& state)
{
    if (!grid) grid = std::make_unique<Grid>();
    const tables::View rows = ourSelect(shared.cases.front().query);
    for (auto _ : state) {
        state.PauseTiming();
        tables::View copy = rows;  // the window hands its query's rows over
        state.ResumeTiming();
        grid->model.showView(&shared.loaded->table, std::move(copy));
    }
    shared.refreshRows = grid->model.rowCount();
}

std::unique_ptr<BenchWindow> window;

// The main window with the table loaded (Autoload), from a quiet airport to the busiest one:
// the query, the model's reset and the paint of the grid's visible rows, offscreen.
void boardSwitchOnce(benchmark::State& state)
{
    if (!window) window = std::make_unique<BenchWindow>(shared.options.data / "autoload");
    TMainForm& form = *window->form;
    QImage image(form.DBGrid1->size(), QImage::Format_ARGB32_Premultiplied);
    const QString busiest = QString::fromStdString(shared.cases.front().airport);
    const QString quiet = QString::fromStdString(shared.cases.back().airport);
    for (auto _ : state) {
        state.PauseTiming();
        form.DBLookupComboBox1->selectCode(quiet);
        form.DBLookupComboBox1Click();
        QApplication::processEvents();
        form.DBLookupComboBox1->selectCode(busiest);
        state.ResumeTiming();
        form.DBLookupComboBox1Click();
        form.DBGrid1->render(&image);
    }
    shared.switchRows = form.boardModel().rowCount();
}

// The busiest airport's departures printed from the main window (about 700 pages from the
// million records): the layout and the painting of every page, into the preview's pages or a PDF.
void printOnce(benchmark::State& state, bool pdf)
{
    if (!window) window = std::make_unique<BenchWindow>(shared.options.data / "autoload");
    TMainForm& form = *window->form;
    form.DBLookupComboBox1->selectCode(QString::fromStdString(shared.cases.front().airport));
    form.DBLookupComboBox1Click();
    const QString pdfFile = QString::fromStdString((shared.options.data / "timetable.pdf").string());
    int pages = 0;
    window->printPreview = [&](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
        if (pdf) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdfFile);
            paint(&printer);
        } else {
            // What the preview dialog does before it shows: every page painted into its own picture.
            QPrintPreviewWidget preview(&printer);
            QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, paint);
            preview.updatePreview();
            pages = preview.pageCount();
        }
    };
    for (auto _ : state) form.PrintTimeTable1Click();
    window->printPreview = nullptr;
    if (!pdf && pages < 2) state.SkipWithError("the preview has no pages");
    shared.printRows = form.boardModel().rowCount();
    shared.printPages = pages > 0 ? pages : shared.printPages;
}

void paintOnce(benchmark::State& state)
{
    if (!grid) grid = std::make_unique<Grid>();
    QImage image(grid->view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) grid->view.render(&image);
    shared.gridRows = grid->model.rowCount();
}

// ---- The stated limits -------------------------------------------------------------------

// Inputs far larger or stranger than any real one (tests/support/limit_inputs.h), made before the
// clock starts. The slow tests check what the program makes of them and the memory it takes.
// Converts `plan` to `records` records, from the empty flight table each time.
void timeConversion(benchmark::State& state, const std::string& plan, std::size_t records)
{
    test::ConversionFolder folder;
    for (auto _ : state) {
        state.PauseTiming();
        tables::createEmptyFlightFile(folder.flightFile());
        state.ResumeTiming();
        if (folder.convert(plan).records != records) state.SkipWithError("the conversion made other records");
    }
}

void limitPlanLine(benchmark::State& state)
{
    const test::LongPlanLine line = test::planLineOfOneMegabyte();
    timeConversion(state, line.text, line.legs);
}

void limitLinesWithoutComma(benchmark::State& state)
{
    timeConversion(state, test::linesWithoutAComma(), 0);
}

void limitAircraftCfg(benchmark::State& state)
{
    const test::TestProgram program;
    const aircraft::ScanInputs inputs = test::bigAircraftCfg(program, 10000);
    for (auto _ : state)
        if (test::scanQuietly(inputs) != aircraft::ScanOutcome::TableWritten) state.SkipWithError("no aircraft table");
}

void limitEndlessNameTable(benchmark::State& state)
{
    const test::TempFolder folder;
    test::writeBytes(folder / "quorvel", test::elfWithEndlessNameTable(200000));
    for (auto _ : state)
        if (about::readElfSection(folder / "quorvel", ".qrvl_version")) state.SkipWithError("a record was found");
}

void limitProfileSections(benchmark::State& state)
{
    constexpr int count = 200000;
    const std::string text = test::profileOfManySections(count);
    for (auto _ : state) {
        const platform::IniFile ini = platform::IniFile::parse(text);
        int found = 0;
        for (int i = 0; i < count; ++i)
            if (ini.value("FLTSIM." + std::to_string(i), "Title")) ++found;
        if (found != count) state.SkipWithError("a section was not found");
    }
}

struct LimitFigure {
    const char* figure;  // in the table
    const char* name;    // the benchmark's
    void (*run)(benchmark::State&);
};
const LimitFigure limitFigures[] = {
    {"limits: a flight plan line of 1 MB converted, incl. save", "limit plan line", limitPlanLine},
    {"limits: 1,000,000 lines without a comma skipped", "limit lines without comma", limitLinesWithoutComma},
    {"limits: an aircraft.cfg of 50 MB scanned", "limit aircraft.cfg", limitAircraftCfg},
    {"limits: 200,000 section names into an endless name table", "limit endless name table", limitEndlessNameTable},
    {"limits: 200,000 profile sections read, each found", "limit profile sections", limitProfileSections},
};

// ---- The results --------------------------------------------------------------------------

// Keeps the median of each benchmark's repetitions (the only run when there is one), in seconds.
class Collector final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) throw std::runtime_error(run.benchmark_name() + ": " + run.error_message);
            const std::string name = run.run_name.function_name;
            const double value = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median" : !seconds.count(name))
                seconds[name] = value;
        }
    }
};

struct Row {
    std::string figure, ours, sqlite, ratio, rate, budget;
    int met = -1;  // -1: no budget
};

void printTable(const std::vector<Row>& rows)
{
    const std::vector<std::string> titles = {"figure", "ours", "SQLite", "ratio", "rate", "budget", ""};
    std::vector<std::size_t> widths(titles.size());
    const auto cells = [](const Row& r) {
        return std::vector<std::string>{
            r.figure, r.ours, r.sqlite, r.ratio, r.rate, r.budget, r.met < 0 ? "" : r.met ? "met" : "MISSED"};
    };
    for (std::size_t c = 0; c < titles.size(); ++c) widths[c] = titles[c].size();
    for (const Row& row : rows) {
        const auto line = cells(row);
        for (std::size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], line[c].size());
    }
    const auto print = [&](const std::vector<std::string>& line) {
        std::string text = "|";
        for (std::size_t c = 0; c < line.size(); ++c)
            text += " " + line[c] + std::string(widths[c] - line[c].size(), ' ') + " |";
        std::cout << text << '\n';
    };
    print(titles);
    std::string rule = "|";
    for (const std::size_t w : widths) rule += std::string(w + 2, '-') + "|";
    std::cout << rule << '\n';
    for (const Row& row : rows) print(cells(row));
}

std::string ms(double seconds)
{
    if (seconds < 0.001) return fixed(seconds * 1e6, seconds < 1e-5 ? 2 : 1) + " us";
    return fixed(seconds * 1000, seconds < 0.1 ? 2 : 0) + " ms";
}

// A start-up's time and the fixed waits left out of it, in milliseconds.
using Startup = std::pair<double, double>;

int report(const Collector& collector, double memoryPerRecord, Startup startup, Startup autoload)
{
    const auto time = [&](const std::string& name) {
        const auto found = collector.seconds.find(name);
        if (found == collector.seconds.end()) throw std::runtime_error("no result for " + name);
        return found->second;
    };
    const double records = double(shared.loaded->totalFlights);
    const double megabytes = double(shared.fileBytes) / 1e6;
    std::vector<Row> rows;
    const auto budget = [](bool met) { return met ? 1 : 0; };

    // The conversion and the load are weighed against the save of the same table in the same run,
    // so that a busy machine slows the measure with what it measures.
    const double convertS = time("convert"), saveS = time("save"), loadS = time("load");
    rows.push_back({"conversion: " + withCommas(shared.conversion.planLines) + " plan lines to " +
                        withCommas(shared.conversion.records) + " records, incl. save",
                    fixed(convertS, 2) + " s", "", fixed(convertS / saveS, 2) + " x save",
                    withCommas(std::uint64_t(double(shared.conversion.planLines) / convertS)) + " lines/s, " +
                        withCommas(std::uint64_t(double(shared.conversion.records) / convertS)) + " records/s",
                    "<= 2.5 x save", budget(convertS <= 2.5 * saveS)});
    const double checkS = time("check");
    rows.push_back({"check of the same traffic with the aircraft list and tables (" + withCommas(shared.checkProblems) +
                        " problems)",
                    fixed(checkS, 2) + " s", "", fixed(checkS / convertS, 2),
                    withCommas(std::uint64_t(double(shared.check.planLines) / checkS)) + " lines/s",
                    "check < conversion, same run", budget(checkS < convertS)});
    const double windowOpenS = time("check window open"), windowResultS = time("check window result");
    rows.push_back({"check window: on the screen, the check running behind it", ms(windowOpenS), "", "", "", "< 100 ms",
                    budget(windowOpenS < 0.1)});
    rows.push_back({"check window: until its table shows the problems", ms(windowResultS), "", "", "", "", -1});
    rows.push_back({"save flight.cds (" + fixed(megabytes, 0) + " MB)", fixed(saveS, 2) + " s", "", "",
                    withCommas(std::uint64_t(records / saveS)) + " records/s, " + fixed(megabytes / saveS, 0) + " MB/s",
                    "< 1 s", budget(saveS < 1)});
    rows.push_back({"load flight.cds (" + fixed(megabytes, 0) + " MB), indexes included", fixed(loadS, 2) + " s", "",
                    fixed(loadS / saveS, 2) + " x save",
                    withCommas(std::uint64_t(records / loadS)) + " records/s, " + fixed(megabytes / loadS, 0) + " MB/s",
                    "<= save", budget(loadS <= saveS)});
    for (const BoardCase& c : shared.cases) {
        const std::string name = "query " + c.airportRole + " " + c.name;
        const double ours = time("ours " + c.airportRole + " " + c.name);
        const double theirs = time("sqlite " + c.airportRole + " " + c.name);
        const double ratio = ours / theirs;
        rows.push_back({name + " (" + c.airport + ", " + withCommas(c.rows) + " rows)", ms(ours), ms(theirs),
                        fixed(ratio, 3), "", "ratio <= 0.1", budget(ratio <= 0.1)});
        if (c.airportRole == "busiest")
            rows.push_back({name + ": time", ms(ours), "", "", "", "< 10 ms", budget(ours < 0.010)});
    }
    {
        const double ours = time("ours busiest airport time"), theirs = time("sqlite busiest airport time");
        const std::string name = "query busiest airport time, next 24 h (" + shared.zoned.predicate.airport + ", " +
                                 shared.zoned.interval.zone + ", " + withCommas(shared.zonedRows) + " rows)";
        rows.push_back(
            {name, ms(ours), ms(theirs), fixed(ours / theirs, 3), "", "ratio <= 0.1", budget(ours / theirs <= 0.1)});
        rows.push_back(
            {"query busiest airport time, next 24 h: time", ms(ours), "", "", "", "< 3 ms", budget(ours < 0.003)});
    }
    rows.push_back({"grid: refresh of the board model, " + withCommas(std::uint64_t(shared.gridRows)) + " rows",
                    ms(time("grid refresh")), "", "", "", "", -1});
    rows.push_back({"grid: offscreen paint of that board", ms(time("grid paint")), "", "", "", "", -1});
    {
        const double refresh = time("model refresh"), switching = time("board switch");
        rows.push_back({"board model refresh, busiest board (" + withCommas(std::uint64_t(shared.refreshRows)) +
                            " rows)",
                        ms(refresh), "", "", "", "< 1 ms", budget(refresh < 0.001)});
        rows.push_back({"main window: choosing the busiest airport (" +
                            withCommas(std::uint64_t(shared.switchRows)) + " rows), query, reset and paint",
                        ms(switching), "", "", "", "< 8 ms", budget(switching < 0.008)});
        const double preview = time("print preview"), pdf = time("print pdf");
        const std::string printed = " of the busiest departures (" + withCommas(std::uint64_t(shared.printRows)) +
                                    " rows, " + withCommas(std::uint64_t(shared.printPages)) + " pages)";
        rows.push_back({"print preview" + printed, ms(preview), "", "", "", "< 0.75 s", budget(preview < 0.75)});
        rows.push_back({"PDF" + printed, ms(pdf), "", "", "", "< 1 s", budget(pdf < 1)});
    }
    rows.push_back({"memory: peak resident bytes per loaded record", fixed(memoryPerRecord, 1) + " B", "", "", "",
                    "< 80 B", budget(memoryPerRecord < 80)});
    for (const LimitFigure& limit : limitFigures)
        rows.push_back({limit.figure, ms(time(limit.name)), "", "", "", "", -1});
    rows.push_back({"start-up without its fixed waits (" + fixed(startup.second / 1000, 2) + " s of waits left out)",
                    fixed(startup.first, 0) + " ms", "", "", "", "< 300 ms", budget(startup.first < 300)});
    rows.push_back({"start-up with Autoload over the " + withCommas(std::uint64_t(records)) +
                        " records to a painted board, without its fixed waits (" + fixed(autoload.second / 1000, 2) +
                        " s)",
                    fixed(autoload.first, 0) + " ms", "", "", "", "< 1 s", budget(autoload.first < 1000)});

    std::ifstream loadAverage("/proc/loadavg");
    std::string one, five, fifteen;
    loadAverage >> one >> five >> fifteen;
    std::cout << "\n"
              << sysconf(_SC_NPROCESSORS_ONLN) << " cores; load average at the end: " << one << " " << five << " "
              << fifteen << "\n";
    printTable(rows);
    int met = 0, total = 0;
    for (const Row& row : rows)
        if (row.met >= 0) {
            ++total;
            met += row.met;
        }
    std::cout << "budgets: " << met << " of " << total << " met\n";
    return met == total ? 0 : 1;
}

Startup measureStartup(const fs::path& folder, int runs)
{
    std::vector<std::pair<double, double>> results;
    for (int i = 0; i < runs; ++i) {
        std::istringstream out(runChild("--child startup '" + folder.string() + "'"));
        double elapsed = 0, waits = 0;
        out >> elapsed >> waits;
        results.emplace_back(elapsed, waits);
    }
    std::sort(results.begin(), results.end());
    return results[results.size() / 2];
}

double measureMemory()
{
    std::istringstream out(runChild("--child memory '" + flightFile().string() + "'"));
    double bytes = 0, records = 0;
    out >> bytes >> records;
    if (records <= 0) throw std::runtime_error("the memory probe loaded no records");
    return bytes / records;
}

int runBenchmarks(int argc, char** argv)
{
    Options& options = shared.options;
    prepareData(options);
    shared.airports.load(options.data / tables::airportFileName);

    const int repetitions = options.smoke ? 1 : 3;
    const auto once = [&](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(repetitions);
        if (!options.smoke) b->ReportAggregatesOnly(true);
    };
    once(benchmark::RegisterBenchmark("convert", convertOnce));

    // The conversion runs first, so the file the other figures read is its result.
    Collector collector;
    {
        int bmArgc = argc;
        benchmark::Initialize(&bmArgc, argv);
        benchmark::RunSpecifiedBenchmarks(&collector, "^convert");
        benchmark::ClearRegisteredBenchmarks();
    }

    prepareStartupFolder(options.data / "autoload", QRVL_AIRPORT_TABLE, QRVL_SOURCE_DIR, flightFile());
    std::cerr << "Loading the flight table and copying it into SQLite...\n";
    shared.loaded =
        std::make_unique<tables::LoadedFlights>(tables::loadFlights(flightFile(), platform::availablePhysicalMemory()));
    shared.sqlite = std::make_unique<SqliteBoard>(shared.loaded->table);
    pickCases();

    once(benchmark::RegisterBenchmark("check", checkOnce));
    once(benchmark::RegisterBenchmark("check window open",
                                      [](benchmark::State& state) { checkWindowOnce(state, false); }));
    once(benchmark::RegisterBenchmark("check window result",
                                      [](benchmark::State& state) { checkWindowOnce(state, true); }));
    once(benchmark::RegisterBenchmark("save", saveOnce));
    once(benchmark::RegisterBenchmark("load", loadOnce));
    for (const BoardCase& c : shared.cases) {
        const auto configure = [&](benchmark::internal::Benchmark* b) {
            b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(options.smoke ? 1 : 5);
            if (options.smoke)
                b->Iterations(1);
            else
                b->MinTime(0.2)->ReportAggregatesOnly(true);
        };
        const board::BoardQuery* query = &c.query;
        configure(benchmark::RegisterBenchmark(("ours " + c.airportRole + " " + c.name).c_str(),
                                               [query](benchmark::State& state) {
                                                   for (auto _ : state) benchmark::DoNotOptimize(ourSelect(*query));
                                               }));
        configure(benchmark::RegisterBenchmark(("sqlite " + c.airportRole + " " + c.name).c_str(),
                                               [query](benchmark::State& state) {
                                                   for (auto _ : state)
                                                       benchmark::DoNotOptimize(shared.sqlite->select(*query));
                                               }));
    }
    {
        const auto configure = [&](benchmark::internal::Benchmark* b) {
            b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(options.smoke ? 1 : 5);
            if (options.smoke)
                b->Iterations(1);
            else
                b->MinTime(0.2)->ReportAggregatesOnly(true);
        };
        configure(benchmark::RegisterBenchmark("ours busiest airport time", [](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(board::selectInstances(*shared.loaded, shared.zoned));
        }));
        configure(benchmark::RegisterBenchmark("sqlite busiest airport time", [](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(shared.sqlite->selectInstances(shared.zoned));
        }));
    }
    using Function = void (*)(benchmark::State&);
    for (const auto& [name, function] :
         {std::pair<const char*, Function>{"grid refresh", refreshOnce},
          {"grid paint", paintOnce},
          {"model refresh", modelRefreshOnce},
          {"board switch", boardSwitchOnce},
          {"print preview", [](benchmark::State& state) { printOnce(state, false); }},
          {"print pdf", [](benchmark::State& state) { printOnce(state, true); }}}) {
        benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name, function);
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(options.smoke ? 1 : 3);
        if (options.smoke)
            b->Iterations(1);
        else
            b->MinTime(0.2)->ReportAggregatesOnly(true);
    }
    for (const LimitFigure& limit : limitFigures) once(benchmark::RegisterBenchmark(limit.name, limit.run));
    benchmark::RunSpecifiedBenchmarks(&collector);
    grid.reset();
    window.reset();

    std::cerr << "Measuring memory and start-up in fresh processes...\n";
    const double memory = measureMemory();
    const Startup startup = measureStartup(options.data / "startup", options.smoke ? 1 : 5);
    const Startup autoload = measureStartup(options.data / "autoload", options.smoke ? 1 : 5);
    const int status = report(collector, memory, startup, autoload);
    return options.smoke ? 0 : status;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 4 && std::string(argv[1]) == "--child" && std::string(argv[2]) == "memory")
            return memoryChild(argv[3]);
        if (argc == 4 && std::string(argv[1]) == "--child" && std::string(argv[2]) == "startup") {
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
            return startupChild(argc, argv, argv[3]);
        }

        // Our options come first; the rest go to the benchmark library.
        std::vector<char*> rest = {argv[0]};
        Options& options = shared.options;
        bool airportsOnly = false;
        std::unique_ptr<char, void (*)(char*)> smokeFolder(nullptr, [](char* p) {
            std::error_code ignored;
            fs::remove_all(p, ignored);
            std::free(p);
        });
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            if (arg == "--data" && i + 1 < argc) {
                options.data = fs::absolute(argv[++i]);
            } else if (arg == "--records" && i + 1 < argc) {
                options.records = std::stoull(argv[++i]);
            } else if (arg == "--full-scan") {
                options.fullScan = true;
            } else if (arg == "--smoke") {
                options.smoke = true;
            } else if (arg == "--airports") {
                airportsOnly = true;
            } else {
                rest.push_back(argv[i]);
            }
        }
        if (airportsOnly) {
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
            int qtArgc = 1;
            QApplication application(qtArgc, argv);
            return bench::runAirportBenchmarks(QRVL_AIRPORT_TABLE, QRVL_AIRPORT_ZONES, options.smoke);
        }
        if (options.smoke && options.data.empty()) {
            char pattern[] = "/tmp/quorvel-bench-XXXXXX";
            if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
            smokeFolder.reset(strdup(pattern));
            options.data = pattern;
            options.records = 20'000;
        }
        if (options.data.empty()) {
            std::cerr << "usage: quorvel-bench --data FOLDER [--records N] [benchmark options] | --smoke\n";
            return 2;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        int qtArgc = 1;
        QApplication application(qtArgc, argv);
        int restArgc = int(rest.size());
        return runBenchmarks(restArgc, rest.data());
    } catch (const std::exception& e) {
        std::cerr << "quorvel-bench: " << e.what() << '\n';
        return 1;
    }
}
