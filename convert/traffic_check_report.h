// convert/traffic_check_report.h: a traffic check written out for people and programs: plain
// text with a summary, RFC 4180 CSV (no summary), or a standalone HTML page. qrvl-tool check and
// the check window write the same bytes.
#pragma once

#include "convert/traffic_check.h"

#include <string>
#include <vector>

namespace quorvel::convert {

// "flightplans.txt, line 12, field 6"; without line or field when the problem has none.
std::string problemPlace(const Problem& problem);

// The summary as lines of text: counts per severity, per kind, records, known legs.
std::vector<std::string> checkSummaryLines(const CheckResult& result);

std::string checkTextReport(const CheckResult& result);
std::string checkCsvReport(const CheckResult& result);
// `files` names what was checked, in the page's title and first paragraph (UTF-8).
std::string checkHtmlReport(const CheckResult& result, const std::vector<std::string>& files);

}  // namespace quorvel::convert
