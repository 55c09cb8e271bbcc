#include "tables/packet.h"
#include "platform/error.h"
#include "tables/flight_table.h"
#include "tests/support/flight_rows.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <random>

using namespace quorvel;
using namespace quorvel::tables;
using quorvel::test::TempFolder;

namespace {

Schema airportSchema()
{
    return {{{"ICAO_CODE", FieldType::Text, 4}, {"DESCRIPTION", FieldType::Text, 30}}, {}};
}

void put16(std::string& out, unsigned v)
{
    out += char(v & 0xFF), out += char((v >> 8) & 0xFF);
}
void put32(std::string& out, unsigned v)
{
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}
void putName(std::string& out, std::string_view n)
{
    out += char(n.size()), out += n;
}

// An airport packet as the program that kept a change log wrote it: 962 stored records, of
// which 11 are earlier versions; LIPQ was changed ten times in a row (records 676, 951..960).
std::string loggedAirportPacket()
{
    std::string out;
    out.append("\x96\x19\xE0\xBD", 4);
    put32(out, 1), put32(out, 24), put16(out, 2), put32(out, 962), put32(out, 3), put16(out, 263);
    for (const auto& [name, width] : {std::pair<std::string, unsigned>{"ICAO_CODE", 4}, {"DESCRIPTION", 30}}) {
        putName(out, name), put16(out, 1), put16(out, 0x49), put16(out, 0), put16(out, 1);
        putName(out, "WIDTH"), put16(out, 2), put16(out, 2), put16(out, width);
    }
    put16(out, 1);
    putName(out, "CHANGE_LOG"), put16(out, 4), put16(out, 0x82), put32(out, 39);
    std::vector<unsigned> log = {950, 0, 4, 951, 676, 8};
    for (unsigned r = 952; r <= 960; ++r) log.insert(log.end(), {r, r - 1, 8});
    log.insert(log.end(), {961, 0, 4, 962, 100, 8});
    for (const unsigned v : log) put32(out, v);
    EXPECT_EQ(out.size(), 263u);

    const auto record = [&out](int status, std::string_view code, std::string_view description) {
        out += char(status), out += '\0';
        putName(out, code), putName(out, description);
    };
    for (int r = 1; r <= 949; ++r) {
        if (r == 1)
            record(0, "KTTF", "MONROE");
        else if (r == 676)
            record(1, "LIPQ", "TRIESTE VERSION 0");
        else if (r == 100)
            record(1, "EGLL", "LONDON OLD NAME");
        else
            record(0, "X" + std::to_string(r % 1000), "AIRPORT " + std::to_string(r));
    }
    record(4, "ZZZ1", "INSERTED ONE");
    for (int v = 1; v <= 10; ++v) record(v == 10 ? 8 : 9, "LIPQ", "TRIESTE VERSION " + std::to_string(v));
    record(4, "ZZZ2", "INSERTED TWO");
    record(8, "EGLL", "LONDON HEATHROW");
    return out;
}

// Two legs, one of them with odd texts, an empty note and null fields, added to `flights`.
void addSampleFlights(Table& flights)
{
    test::addLeg(flights, {});
    test::Leg odd;
    odd.dep = "lirf";
    odd.percent = -5;
    odd.national = false;
    odd.airline = "\xC0\xE9, \"Q\"";
    const RowId row = test::addLeg(flights, odd);
    flights.setText(row, Note, "");  // empty, not null
    flights.setNull(row, Model);
    flights.setNull(row, National);
    flights.setNull(row, TPercent);
}

Table sampleFlights()
{
    Table flights = newFlightTable();
    addSampleFlights(flights);
    return flights;
}

// The rows whose code is exactly `code`, in stored order.
View rowsWithCode(const Table& airports, std::string_view code)
{
    View rows;
    for (RowId row = 0; row < airports.rowCount(); ++row)
        if (airports.text(row, 0) == code) rows.push_back(row);
    return rows;
}

void expectError(std::string_view bytes, std::string_view wanted)
{
    try {
        readPacket(bytes, "flight.cds");
        ADD_FAILURE() << "no error for a packet that should be refused with '" << wanted << "'";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(wanted), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).rfind("flight.cds: ", 0), 0u) << e.what();
    }
}

}  // namespace

TEST(Packet, ChangeLogKeepsOnlyCurrentVersionsInStoredOrder)
{
    const Table airports = readPacket(loggedAirportPacket(), "airport.cds");
    ASSERT_EQ(airports.rowCount(), 951u);
    EXPECT_EQ(airports.text(0, 0), "KTTF");
    EXPECT_EQ(airports.text(0, 1), "MONROE");
    const View lipq = rowsWithCode(airports, "LIPQ");
    ASSERT_EQ(lipq.size(), 1u);
    EXPECT_EQ(airports.text(lipq.front(), 1), "TRIESTE VERSION 10");
    const View egll = rowsWithCode(airports, "EGLL");
    ASSERT_FALSE(egll.empty());
    EXPECT_EQ(airports.text(egll.front(), 1), "LONDON HEATHROW");
    EXPECT_EQ(airports.text(947, 0), "ZZZ1");
    EXPECT_EQ(airports.text(950, 0), "EGLL");
}

TEST(Packet, WriterLaysOutHeaderDescriptorsAndRecordsExactly)
{
    Table airports(airportSchema());
    const RowId row = airports.appendRow();
    airports.setText(row, 0, "KTTF");
    airports.setText(row, 1, "MONROE");
    const std::string bytes = packetBytes(airports);
    std::string expected;
    expected.append("\x96\x19\xE0\xBD", 4);
    put32(expected, 1), put32(expected, 24), put16(expected, 2), put32(expected, 1), put32(expected, 3);
    put16(expected, 88);
    putName(expected, "ICAO_CODE"), put16(expected, 1), put16(expected, 0x49), put16(expected, 0), put16(expected, 1);
    putName(expected, "WIDTH"), put16(expected, 2), put16(expected, 2), put16(expected, 4);
    putName(expected, "DESCRIPTION"), put16(expected, 1), put16(expected, 0x49), put16(expected, 0), put16(expected, 1);
    putName(expected, "WIDTH"), put16(expected, 2), put16(expected, 2), put16(expected, 30);
    put16(expected, 0);
    expected.append("\x00\x00\x04KTTF\x06MONROE", 14);  // a value takes its length, never the full width
    EXPECT_EQ(bytes, expected);
}

TEST(Packet, FlightTableRoundTripsByteForByte)
{
    const Table flights = sampleFlights();
    const std::string first = packetBytes(flights);
    const Table back = readPacket(first, "flight.cds");
    EXPECT_EQ(packetBytes(back), first);
    EXPECT_EQ(back.schema(), flightSchema());
    ASSERT_EQ(back.rowCount(), 2u);
    EXPECT_EQ(back.text(1, IcaoCodeDep), "lirf");
    EXPECT_EQ(back.text(1, Airline), "\xC0\xE9, \"Q\"");
    EXPECT_FALSE(back.isNull(1, Note));
    EXPECT_EQ(back.text(1, Note), "");
    EXPECT_TRUE(back.isNull(1, Model));
    EXPECT_TRUE(back.isNull(1, National));
    EXPECT_TRUE(back.isNull(1, TPercent));
    EXPECT_TRUE(back.isNull(0, TimeNew));
    EXPECT_EQ(back.integer(0, TPercent), 100);
    EXPECT_TRUE(back.boolean(0, National));
}

// Whole-number properties ride beside the index definitions; other property kinds are skipped,
// as a reader that does not know UTC_OFFSET_HOURS skips it.
TEST(Packet, IntegerPropertiesAreWrittenAfterTheIndexesAndReadBack)
{
    Table airports(airportSchema());
    airports.setIntegerProperty("UTC_OFFSET_HOURS", -2);
    airports.setIntegerProperty("OTHER", 70000);
    airports.setIntegerProperty("UTC_OFFSET_HOURS", -1);  // set again: replaced, not repeated
    const std::string bytes = packetBytes(airports);
    std::string tail;
    put16(tail, 2);
    putName(tail, "UTC_OFFSET_HOURS"), put16(tail, 4), put16(tail, 1), put32(tail, 0xFFFFFFFFu);
    putName(tail, "OTHER"), put16(tail, 4), put16(tail, 1), put32(tail, 70000);
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);  // no rows follow

    const Table back = readPacket(bytes, "airport.cds");
    EXPECT_EQ(back.integerProperty("UTC_OFFSET_HOURS"), -1);
    EXPECT_EQ(back.integerProperty("OTHER"), 70000);
    EXPECT_EQ(back.integerProperty("MISSING"), std::nullopt);
    EXPECT_EQ(packetBytes(back), bytes);

    // A two-byte number, an unsigned type and an array are not ours: skipped, the rest still read.
    std::string foreign = bytes.substr(0, bytes.size() - tail.size());
    put16(foreign, 3);
    putName(foreign, "SHORT"), put16(foreign, 2), put16(foreign, 1), put16(foreign, 5);
    putName(foreign, "UNSIGNED"), put16(foreign, 4), put16(foreign, 2), put32(foreign, 5);
    putName(foreign, "ARRAY"), put16(foreign, 4), put16(foreign, 0x81), put32(foreign, 1), put32(foreign, 5);
    foreign[22] = char(foreign.size() & 0xFF), foreign[23] = char(foreign.size() >> 8);  // the first record's offset
    const Table skipped = readPacket(foreign, "airport.cds");
    EXPECT_TRUE(skipped.integerProperties().empty());
}

TEST(Packet, FlightFlagBytesMarkNullFieldsTwoBitsEach)
{
    Table flights = newFlightTable();
    const RowId row = flights.appendRow();
    flights.setText(row, IcaoCodeDep, "LIRF");  // field 0 has a value, fields 1..14 are null
    const std::string bytes = packetBytes(flights);
    const std::string record = bytes.substr(bytes.size() - 10);
    EXPECT_EQ(record, std::string("\x00\x54\x55\x55\x15\x04LIRF", 10));
}

TEST(Packet, EveryTruncationIsAnErrorNamingTheFile)
{
    const std::string full = packetBytes(sampleFlights());
    for (std::size_t size = 0; size < full.size(); ++size) {
        try {
            readPacket(std::string_view(full).substr(0, size), "flight.cds");
            ADD_FAILURE() << "a packet cut to " << size << " bytes was read";
        } catch (const Error& e) {
            const std::string text = e.what();
            const bool named = text == "flight.cds: not a table file" ||
                               text == "flight.cds: truncated at byte " + std::to_string(size);
            EXPECT_TRUE(named) << size << ": " << text;
        }
    }
}

TEST(Packet, DamagedHeadersAndCountsAreErrorsNotAllocations)
{
    const std::string good = packetBytes(sampleFlights());
    const auto patched = [&good](std::size_t at, std::string_view bytes) {
        std::string copy = good;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    expectError("GIF89a-not-a-table-at-all-but-long-enough", "not a table file");
    expectError(patched(14, "\xFF\xFF\xFF\xFF"), "truncated");      // four billion records
    expectError(patched(8, "\x10\x00\x00\x00"), "header size 16");  // header inside itself
    expectError(patched(8, "\xFF\xFF\xFF\x7F"), "truncated");       // header beyond the file
    expectError(patched(22, "\x05\x00"), "inside the field descriptions");
    expectError(patched(14, "\x01\x00\x00\x00"), "follow the last of 1 records");
    expectError(good + "x", "follow the last");
    // The first field's type word says something this program cannot decode.
    expectError(patched(24 + 1 + 13 + 2, "\x07\x00"), "type word 0x0007");
}

TEST(Packet, TableWithoutFieldsKeepsItsRecords)
{
    Table empty{Schema{}};
    for (int i = 0; i < 3; ++i) empty.appendRow();
    const std::string bytes = packetBytes(empty);
    EXPECT_EQ(readPacket(bytes, "fields.cds").rowCount(), 3u);
    EXPECT_EQ(packetBytes(readPacket(bytes, "fields.cds")), bytes);
}

TEST(Packet, HugePropertyCountsAreErrors)
{
    std::string bytes;
    bytes.append("\x96\x19\xE0\xBD", 4);
    put32(bytes, 1), put32(bytes, 24), put16(bytes, 0), put32(bytes, 0), put32(bytes, 3), put16(bytes, 60);
    put16(bytes, 1);
    putName(bytes, "CHANGE_LOG"), put16(bytes, 4), put16(bytes, 0x82), put32(bytes, 0xFFFFFFFF);
    expectError(bytes, "truncated");
}

TEST(Packet, RandomDamageNeverCrashes)
{
    const std::string good = packetBytes(sampleFlights());
    std::mt19937 random(1996);
    int read = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = good;
        for (int flips = 1 + round % 4; flips > 0; --flips) damaged[random() % damaged.size()] = char(random());
        try {
            const Table table = readPacket(damaged, "flight.cds");
            packetBytes(table);  // whatever was read can be written again
            ++read;
        } catch (const Error&) {
            ++refused;
        }
    }
    EXPECT_EQ(read + refused, 3000);
    EXPECT_GT(refused, 0);
}

TEST(PacketFile, SaveAndLoadThroughTheFileSystem)
{
    TempFolder folder;
    const Table flights = sampleFlights();
    writePacketFile(flights, folder / "flight.cds");
    EXPECT_EQ(test::readBytes(folder / "flight.cds"), packetBytes(flights));
    EXPECT_EQ(packetBytes(readPacketFile(folder / "flight.cds")), packetBytes(flights));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // no temporary left
}

TEST(PacketFile, MissingFileAndFolderAreNamedErrors)
{
    TempFolder folder;
    const std::string missing = (folder / "flight.cds").string();
    try {
        readPacketFile(folder / "flight.cds");
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), missing + ": cannot be opened: No such file or directory");
    }
    std::filesystem::create_directory(folder / "dir.cds");
    EXPECT_THROW(readPacketFile(folder / "dir.cds"), Error);
}

TEST(PacketFile, FailedSaveKeepsTheOldFileAndSaysWhy)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "flight.cds");  // a target that is a folder
    try {
        writePacketFile(sampleFlights(), folder / "flight.cds");
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), (folder / "flight.cds").string() + ": cannot be replaced: Is a directory");
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder / "flight.cds"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    const auto nowhere = folder / "no-such-folder" / "flight.cds";
    try {
        writePacketFile(sampleFlights(), nowhere);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), nowhere.string() + ": cannot be written: No such file or directory");
    }
}

// Records encoded one by one and appended to a table's own rows give the file that saving all
// the rows as one table gives; until the commit the old file stays.
TEST(PacketFile, RecordsWrittenAsTheyComeMatchTheWholeTableSaved)
{
    TempFolder folder;
    const Table sample = sampleFlights();
    Table head = sampleFlights();
    head.setIntegerProperty("UTC_OFFSET_HOURS", -2);
    Table whole = head;
    addSampleFlights(whole);
    const RowId long_ = test::addLeg(whole, {});
    whole.setText(long_, DepApt, std::string(40, 'N'));  // cut to the field's 30 characters

    writePacketFile(newFlightTable(), folder / "flight.cds");
    const std::string before = test::readBytes(folder / "flight.cds");
    {
        PacketFileWriter writer(head, folder / "flight.cds");
        RecordEncoder encoder(flightSchema());
        std::string records;
        for (RowId row = 0; row < sample.rowCount(); ++row) {
            encoder.begin(records);
            for (int f = 0; f < int(flightSchema().fields.size()); ++f) {
                if (sample.isNull(row, f))
                    encoder.null(records, f);
                else if (f == TPercent)
                    encoder.integer(records, sample.integer(row, f));
                else if (f == National)
                    encoder.boolean(records, sample.boolean(row, f));
                else
                    encoder.text(records, f, sample.text(row, f));
            }
        }
        writer.append(records, sample.rowCount());
        records.clear();
        encoder.begin(records);
        for (int f = 0; f < int(flightSchema().fields.size()); ++f) {
            if (f == TPercent)
                encoder.integer(records, whole.integer(long_, f));
            else if (f == National)
                encoder.boolean(records, whole.boolean(long_, f));
            else if (whole.isNull(long_, f))
                encoder.null(records, f);
            else
                encoder.text(records, f, f == DepApt ? std::string(40, 'N') : std::string(whole.text(long_, f)));
        }
        writer.append(records, 1);
        EXPECT_EQ(test::readBytes(folder / "flight.cds"), before);
        writer.commit();
    }
    EXPECT_EQ(test::readBytes(folder / "flight.cds"), packetBytes(whole));
    EXPECT_EQ(readPacketFile(folder / "flight.cds").rowCount(), 2 * sample.rowCount() + 1);

    {
        PacketFileWriter abandoned(head, folder / "flight.cds");
        abandoned.append(std::string_view("\0", 1), 1);
    }
    EXPECT_EQ(test::readBytes(folder / "flight.cds"), packetBytes(whole));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}
