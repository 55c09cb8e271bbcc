#include "tests/support/flight_rows.h"

namespace quorvel::test {

using namespace tables;

RowId addLeg(Table& flights, const Leg& leg)
{
    const RowId row = flights.appendRow();
    flights.setText(row, IcaoCodeDep, leg.dep);
    flights.setText(row, DepApt, "DEP " + leg.dep);
    flights.setText(row, IcaoCodeArr, leg.arr);
    flights.setText(row, DestApt, "ARR " + leg.arr);
    flights.setText(row, Airline, leg.airline);
    flights.setText(row, FlightNumber, leg.flight);
    flights.setText(row, TimeDep, leg.timeDep);
    flights.setText(row, TimeArr, leg.timeArr);
    flights.setText(row, SchedulingDep, leg.schedulingDep);
    flights.setText(row, SchedulingArr, leg.schedulingArr);
    flights.setText(row, Note, "ON TIME");
    flights.setInt(row, TPercent, std::int16_t(leg.percent));
    flights.setText(row, Model, "B737");
    flights.setBool(row, National, leg.national);
    return row;
}

}  // namespace quorvel::test
