// tests/serve/served_board.h: a program folder with small tables, its snapshot, and the server
// over it on a free loopback port.
#pragma once

#include "serve/board_server.h"
#include "tables/flight_table.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_folder.h"

#include <memory>
#include <string>

namespace quorvel::test {

// A 24-bit Windows bitmap of one colour.
std::string bitmap(int width, int height, unsigned char red, unsigned char green, unsigned char blue);
// The width and height a PNG's header gives; {0, 0} when the bytes are not a PNG.
std::pair<int, int> pngSize(const std::string& png);

class ServedBoard {
public:
    // Airports LIRF (Europe/Rome), LFPG (Europe/Paris) and EGLL (no zone); flags AZL (60x20) and
    // a list line whose flag name leads out of the folder, to a bitmap that is there.
    explicit ServedBoard(serve::ServerOptions options = {});

    // Saves `flights` as flight.cds, loads it as the program does and publishes it.
    void publish(const tables::Table& flights);
    std::string get(const std::string& target, int* status = nullptr, std::string* type = nullptr) const;

    TempFolder folder;
    FixedClock clock{{2024, 1, 8, 10, 0, 0}};
    serve::SnapshotStore store;
    std::unique_ptr<serve::BoardServer> server;
    int port = 0;
};

}  // namespace quorvel::test
