#include "tests/serve/served_board.h"

#include "flags/flag_list.h"
#include "tables/airport_table.h"
#include "tables/airport_zones.h"
#include "tables/packet.h"

#include <httplib.h>

namespace quorvel::test {

namespace {

void put32(std::string& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes += char((value >> (8 * i)) & 0xFF);
}

void put16(std::string& bytes, std::uint16_t value)
{
    bytes += char(value & 0xFF);
    bytes += char(value >> 8);
}

}  // namespace

std::string bitmap(int width, int height, unsigned char red, unsigned char green, unsigned char blue)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    std::string bytes = "BM";
    put32(bytes, std::uint32_t(54 + stride * height));
    put32(bytes, 0);
    put32(bytes, 54);
    put32(bytes, 40);
    put32(bytes, std::uint32_t(width));
    put32(bytes, std::uint32_t(height));
    put16(bytes, 1);
    put16(bytes, 24);
    for (int i = 0; i < 6; ++i) put32(bytes, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) bytes += {char(blue), char(green), char(red)};
        bytes.append(std::size_t(stride - width * 3), '\0');
    }
    return bytes;
}

std::pair<int, int> pngSize(const std::string& png)
{
    if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
    const auto big = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = 0; i < 4; ++i) value = value * 256 + static_cast<unsigned char>(png[at + i]);
        return value;
    };
    return {big(16), big(20)};
}

ServedBoard::ServedBoard(serve::ServerOptions options)
{
    tables::Table airports = tables::newAirportTable();
    for (const auto& [code, name] : {std::pair{"LIRF", "ROME FIUMICINO"}, {"LFPG", "PARIS CHARLES DE GAULLE"},
                                     {"EGLL", "LONDON HEATHROW"}, {"LIRA", "ROME CIAMPINO"}}) {
        const tables::RowId row = airports.appendRow();
        airports.setText(row, 0, code);
        airports.setText(row, 1, name);
    }
    tables::writeAirportFile(airports, folder / "airport.cds");
    writeBytes(folder / "airport-zones.csv",
               "ICAO_CODE,TIME_ZONE\r\nLIRF,Europe/Rome\r\nLIRA,Europe/Rome\r\nLFPG,Europe/Paris\r\n");
    std::filesystem::create_directories(folder / "flag");
    writeBytes(folder / "flag" / "fmlist", "ALITALIA=AZL\r\nOUTSIDE AIR=../outside\r\nNO PICTURE=NOPIC\r\n");
    writeBytes(folder / "flag" / "AZL.BMP", bitmap(60, 20, 0, 128, 0));
    writeBytes(folder / "outside.bmp", bitmap(8, 8, 255, 0, 0));

    server = std::make_unique<serve::BoardServer>(store, clock, options);
    publish(tables::newFlightTable());
    this->port = server->start();
}

void ServedBoard::publish(const tables::Table& flights)
{
    tables::writePacketFile(flights, folder / tables::flightFileName);
    auto loaded = std::make_shared<const tables::LoadedFlights>(tables::loadFlights(folder / tables::flightFileName, 0));
    tables::AirportLookup airports;
    airports.load(folder / "airport.cds");
    tables::AirportZones zones;
    zones.load(folder / "airport-zones.csv");
    const flags::FlagList flagList = flags::FlagList::read(folder / "flag" / "fmlist");
    store.publish(serve::makeBoardData(std::move(loaded), airports, zones, flagList, folder / "flag", 0));
}

std::string ServedBoard::get(const std::string& target, int* status, std::string* type) const
{
    httplib::Client client("127.0.0.1", port);
    const httplib::Result result = client.Get(target.c_str());
    if (status) *status = result ? result->status : -1;
    if (type) *type = result ? result->get_header_value("Content-Type") : std::string();
    return result ? result->body : std::string();
}

}  // namespace quorvel::test
