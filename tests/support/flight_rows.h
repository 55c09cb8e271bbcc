// tests/support/flight_rows.h: flight table rows written compactly in tests.
#pragma once

#include "tables/flight_table.h"

#include <string>

namespace quorvel::test {

struct Leg {
    std::string dep = "LIRF";
    std::string arr = "LFPG";
    std::string timeDep = "10:00";
    std::string timeArr = "12:00";
    std::string schedulingDep = "0123456";
    std::string schedulingArr = "0123456";
    int percent = 100;
    bool national = true;
    std::string flight = "AZ100";
    std::string airline = "ALITALIA";
};

tables::RowId addLeg(tables::Table& flights, const Leg& leg);  // the other fields as a conversion fills them

}  // namespace quorvel::test
