#include "tables/flight_table.h"
#include "platform/error.h"
#include "tables/packet.h"
#include "tests/support/flight_rows.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::tables;
using quorvel::test::TempFolder;

TEST(FlightTable, SchemaHasFifteenFieldsAndTwoTimeIndexes)
{
    const Schema& schema = flightSchema();
    ASSERT_EQ(schema.fields.size(), 15u);
    EXPECT_EQ(schema.fields[IcaoCodeDep], (FieldDef{"ICAO_CODE_DEP", FieldType::Text, 4}));
    EXPECT_EQ(schema.fields[FlightNumber], (FieldDef{"FLIGHT", FieldType::Text, 7}));
    EXPECT_EQ(schema.fields[TPercent], (FieldDef{"TPERCENT", FieldType::Int16, 0}));
    EXPECT_EQ(schema.fields[Model], (FieldDef{"MODEL", FieldType::Text, 6}));
    EXPECT_EQ(schema.fields[National], (FieldDef{"N", FieldType::Boolean, 0}));
    EXPECT_EQ(schema.indexes,
              (std::vector<IndexDef>{{"TimeIndexArr", "TIME_ARR", 0}, {"TimeIndexDep", "TIME_DEP", 0}}));
    EXPECT_GE(flightRecordSize(), 143u);  // at least the sum of the field sizes
}

TEST(FlightTable, EmptyFileKeepsTheSchemaAndLoadsAsAnEmptyBoard)
{
    TempFolder folder;
    test::writeBytes(folder / "flight.cds", "an older table");
    createEmptyFlightFile(folder / "flight.cds");
    const LoadedFlights loaded = loadFlights(folder / "flight.cds", 1'000'000);
    EXPECT_EQ(loaded.table.schema(), flightSchema());
    EXPECT_EQ(loaded.totalFlights, 0u);
    EXPECT_TRUE(loaded.timeOrder.empty());
}

TEST(FlightTable, LoadOrdersByDepartureTimeAndEstimatesRoomLeft)
{
    TempFolder folder;
    Table flights = newFlightTable();
    for (const char* time : {"10:00", "23:59", "09:05", "00:00", "12:30"}) {
        test::Leg leg;
        leg.timeDep = time;
        test::addLeg(flights, leg);
    }
    writePacketFile(flights, folder / "flight.cds");
    const std::uint64_t memory = 10 * flightRecordSize() + flightRecordSize() - 1;
    const LoadedFlights loaded = loadFlights(folder / "flight.cds", memory);
    EXPECT_EQ(loaded.totalFlights, 5u);
    EXPECT_EQ(loaded.availableFlights, 10u);  // remainder dropped
    std::vector<std::string_view> times;
    for (const RowId row : loaded.timeOrder) times.push_back(loaded.table.text(row, TimeDep));
    EXPECT_EQ(times, (std::vector<std::string_view>{"00:00", "09:05", "10:00", "12:30", "23:59"}));
}

TEST(FlightTable, AnotherTablesFileIsRefused)
{
    TempFolder folder;
    writePacketFile(Table({{{"ICAO_CODE", FieldType::Text, 4}, {"DESCRIPTION", FieldType::Text, 30}}, {}}),
                    folder / "flight.cds");
    try {
        readFlightFile(folder / "flight.cds");
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  (folder / "flight.cds").string() + ": not a flight table: it has 2 fields instead of 15");
    }
}
