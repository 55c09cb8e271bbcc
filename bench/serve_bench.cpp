// quorvel-serve-bench: the served board under load on the loopback: C clients for S seconds
// asking the busiest airport's board as the page does, and a stand-in for the window handing
// over a new snapshot meanwhile. Prints the requests, the failures and the answer times, and
// "budget: p99 < 50 ms, 0 failed: met" (or MISSED, with exit status 1).
//   quorvel-serve-bench --flights F --airports A --zones Z [--clients 50] [--seconds 10]
//   quorvel-serve-bench --smoke      a short run on a small made-up table; fails only on failed requests

#include "platform/local_time.h"
#include "serve/board_server.h"
#include "tables/airport_table.h"
#include "tables/airport_zones.h"
#include "tables/flight_table.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace quorvel;
using Clock = std::chrono::steady_clock;

struct Options {
    std::string flights, airports, zones;
    int clients = 50;
    int seconds = 10;
    bool smoke = false;
    serve::ServerOptions server;
};

// The airport with the most departures.
std::string busiestAirport(const tables::Table& flights)
{
    std::map<std::string_view, int> departures;
    for (tables::RowId row = 0; row < flights.rowCount(); ++row) ++departures[flights.text(row, tables::IcaoCodeDep)];
    return std::string(std::max_element(departures.begin(), departures.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first);
}

// A small table for the smoke run: one airport's legs every few minutes, both ways.
tables::Table smokeFlights()
{
    tables::Table flights = tables::newFlightTable();
    for (int i = 0; i < 2000; ++i) {
        const tables::RowId row = flights.appendRow();
        const bool out = i % 2 == 0;
        char time[6];
        std::snprintf(time, sizeof time, "%02d:%02d", (i / 60) % 24, i % 60);
        flights.setText(row, tables::IcaoCodeDep, out ? "KBOS" : "KJFK");
        flights.setText(row, tables::IcaoCodeArr, out ? "KJFK" : "KBOS");
        flights.setText(row, tables::Airline, "SMOKE AIR");
        flights.setText(row, tables::FlightNumber, "SM" + std::to_string(i));
        flights.setText(row, tables::TimeDep, time);
        flights.setText(row, tables::TimeArr, time);
        flights.setText(row, tables::SchedulingDep, "0123456");
        flights.setText(row, tables::SchedulingArr, "0123456");
        flights.setText(row, tables::Note, "ON TIME");
        flights.setInt(row, tables::TPercent, 100);
        flights.setBool(row, tables::National, i % 4 < 2);
    }
    return flights;
}

double percentile(std::vector<double>& sorted, double p)
{
    if (sorted.empty()) return 0;
    return sorted[std::min(sorted.size() - 1, std::size_t(p * double(sorted.size())))];
}

int run(const Options& options)
{
    serve::BoardData data;
    tables::AirportLookup airports;
    tables::AirportZones zones;
    if (options.smoke) {
        data.flights = std::make_shared<const tables::LoadedFlights>(tables::indexFlights(smokeFlights(), 0));
        tables::Table table = tables::newAirportTable();
        for (const char* code : {"KBOS", "KJFK"}) {
            const tables::RowId row = table.appendRow();
            table.setText(row, 0, code);
            table.setText(row, 1, code);
        }
        airports.assign(table);
    } else {
        data.flights = std::make_shared<const tables::LoadedFlights>(tables::loadFlights(options.flights, 0));
        airports.load(options.airports);
        zones.load(options.zones);
    }
    data = serve::makeBoardData(data.flights, airports, zones, {}, {}, 0);
    const std::string airport = busiestAirport(data.flights->table);

    serve::SnapshotStore store;
    store.publish(data);
    const SystemClock clock;
    serve::BoardServer server(store, clock, options.server);
    const int port = server.start();

    // What the page asks: both directions, both national choices, in the airport's time.
    const auto question = [&](int client) {
        return "/api/board?airport=" + airport + "&zone=airport&window=12&limit=200&direction=" +
               (client % 2 ? "arrivals" : "departures") + "&international=" + ((client / 2) % 2 ? "1" : "0");
    };
    const Clock::time_point end = Clock::now() + std::chrono::seconds(options.seconds);
    std::vector<std::vector<double>> times(std::size_t(options.clients));
    std::atomic<long> failed{0};
    std::atomic<long> rows{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < options.clients; ++c)
        clients.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_tcp_nodelay(true);
            const std::string target = question(c);
            while (Clock::now() < end) {
                const Clock::time_point start = Clock::now();
                const httplib::Result result = client.Get(target.c_str());
                times[std::size_t(c)].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                if (!result || result->status != 200)
                    ++failed;
                else if (c == 0 && rows == 0)
                    rows = long(std::count(result->body.begin(), result->body.end(), '{'));
            }
        });
    // The window loading a table meanwhile: the hand-over must stay as quick as without clients.
    double longestHandover = 0;
    std::thread window([&] {
        while (Clock::now() < end) {
            const Clock::time_point start = Clock::now();
            store.publish(data);
            longestHandover =
                std::max(longestHandover, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    for (std::thread& t : clients) t.join();
    window.join();
    server.stop();

    std::vector<double> all;
    for (const auto& client : times) all.insert(all.end(), client.begin(), client.end());
    std::sort(all.begin(), all.end());
    const double p99 = percentile(all, 0.99);
    const bool met = p99 < 50 && failed == 0 && !all.empty();
    std::printf("served board: %d clients for %d s against %s (airport time, next 12 h, at most 200 rows)\n",
                options.clients, options.seconds, airport.c_str());
    std::printf("requests: %zu (%.0f/s), failed: %ld\n", all.size(), double(all.size()) / options.seconds,
                failed.load());
    std::printf("answer time: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", percentile(all, 0.5), p99,
                all.empty() ? 0 : all.back());
    std::printf("snapshot hand-over while serving: longest %.3f ms\n", longestHandover);
    std::printf("budget: p99 < 50 ms, 0 failed: %s\n", met ? "met" : "MISSED");
    return met || (options.smoke && failed == 0 && !all.empty()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--flights")
            options.flights = value();
        else if (a == "--airports")
            options.airports = value();
        else if (a == "--zones")
            options.zones = value();
        else if (a == "--clients")
            options.clients = std::max(1, std::atoi(value().c_str()));
        else if (a == "--seconds")
            options.seconds = std::max(1, std::atoi(value().c_str()));
        else if (a == "--threads")
            options.server.threads = std::max(1, std::atoi(value().c_str()));
        else if (a == "--smoke") {
            options.smoke = true;
            options.clients = 4;
            options.seconds = 1;
        } else {
            std::cerr << "usage: quorvel-serve-bench --flights F --airports A --zones Z [--clients N] [--seconds S] "
                         "| --smoke\n";
            return 2;
        }
    }
    if (!options.smoke && (options.flights.empty() || options.airports.empty() || options.zones.empty())) {
        std::cerr << "quorvel-serve-bench: --flights, --airports and --zones are needed (or --smoke)\n";
        return 2;
    }
    try {
        return run(options);
    } catch (const std::exception& e) {
        std::cerr << "quorvel-serve-bench: " << e.what() << '\n';
        return 1;
    }
}
