#include "tests/convert/conversion_fixture.h"

#include "tables/aircraft_table.h"
#include "tables/flight_table.h"

namespace quorvel::test {

using namespace tables;

void RecordingReport::progressRange(int minimum, int maximum)
{
    events.push_back("range " + std::to_string(minimum) + " " + std::to_string(maximum));
}

void RecordingReport::progress(int position)
{
    events.push_back("progress " + std::to_string(position));
    if (onProgress) onProgress(position);
}

void RecordingReport::logLine(std::string_view key)
{
    events.push_back("log " + std::string(key));
    logs.emplace_back(key);
}

void RecordingReport::message(std::string_view caption, std::string_view text)
{
    events.push_back("message " + std::string(caption) + "|" + std::string(text));
}

std::vector<std::string> RecordingReport::labels() const
{
    std::vector<std::string> labels;
    for (const std::string& event : events)
        if (event.starts_with("label ")) labels.push_back(event.substr(6));
    return labels;
}

ConversionFixture::ConversionFixture()
{
    writeAircraft({{"AC#1", "Alitalia B737", "ALITALIA", "B737"}});
    Table table = newAirportTable();
    for (const auto& [code, description] : {std::pair{"LIRF", "ROME FIUMICINO"},
                                            {"LFPG", "PARIS CDG"},
                                            {"EDDF", "FRANKFURT MAIN"},
                                            {"ETAR", "RAMSTEIN"},
                                            {"KJFK", "NEW YORK JFK"}}) {
        const RowId row = table.appendRow();
        table.setText(row, AirportCode, code);
        table.setText(row, AirportDescription, description);
    }
    airports.assign(table);
}

void ConversionFixture::writeAircraft(const std::vector<AircraftRow>& rows)
{
    Table table = newAircraftTable();
    for (const AircraftRow& r : rows) {
        const RowId row = table.appendRow();
        int field = 0;
        for (const auto& value : {r.number, r.title, r.airline, r.model}) {
            if (value) table.setText(row, field, *value);
            ++field;
        }
    }
    writeAircraftFile(table, folder / aircraftFileName);
}

convert::ConvertInputs ConversionFixture::inputs(std::optional<int> offset) const
{
    return convert::ConvertInputs{
        .flightPlanFile = folder / "plans.txt",
        .flightTableFile = folder / flightFileName,
        .aircraftTableFile = folder / aircraftFileName,
        .airports = airports,
        .overrideDst = overrideDst,
        .zone = zone,
        .utcOffsetHours = offset,
    };
}

convert::Summary ConversionFixture::run(const std::optional<std::string>& plan, std::optional<int> offset)
{
    createEmptyFlightFile(folder / flightFileName);
    if (plan)
        writeBytes(folder / "plans.txt", *plan);
    else
        std::filesystem::remove(folder / "plans.txt");
    return convert::convert(inputs(offset), report, stop);
}

Table ConversionFixture::flights() const
{
    return readFlightFile(folder / flightFileName);
}

std::vector<std::string> ConversionFixture::rows() const
{
    const Table table = flights();
    std::vector<std::string> rows;
    for (RowId row = 0; row < table.rowCount(); ++row) {
        std::string text;
        for (int field = 0; field < int(table.fieldCount()); ++field) {
            if (field > 0) text += '|';
            if (table.isNull(row, field))
                text += '~';
            else if (field == TPercent)
                text += std::to_string(table.integer(row, field));
            else if (field == National)
                text += table.boolean(row, field) ? "True" : "False";
            else
                text += table.text(row, field).empty() ? std::string("<empty>") : std::string(table.text(row, field));
        }
        rows.push_back(std::move(text));
    }
    return rows;
}

std::string bigPlan(int lines)
{
    std::string plan;
    plan.reserve(std::size_t(lines) * 80);
    for (int i = 0; i < lines; ++i)
        plan +=
            "AC#1,x,100%,1Hr,IFR,00:10,00:40,1,F,AZ" + std::to_string(i % 10000) + ",LFPG,00:45,00:55,1,F,AZ2,LIRF\r\n";
    return plan;
}

}  // namespace quorvel::test
