#include "convert/traffic_check_report.h"

#include <cstdio>
#include <sstream>

namespace quorvel::convert {

namespace {

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string html(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string percent(std::size_t part, std::size_t whole)
{
    if (whole == 0) return "-";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f %%", 100.0 * double(part) / double(whole));
    return buffer;
}

std::string numberOrEmpty(std::size_t n)
{
    return n > 0 ? std::to_string(n) : std::string();
}

}  // namespace

std::string problemPlace(const Problem& p)
{
    std::string text = p.file;
    if (p.line > 0) text += ", line " + std::to_string(p.line);
    if (p.field > 0) text += ", field " + std::to_string(p.field);
    return text;
}

std::vector<std::string> checkSummaryLines(const CheckResult& result)
{
    const CheckSummary& s = result.summary;
    const auto count = [](const auto& map, auto key) {
        const auto found = map.find(key);
        return found == map.end() ? std::size_t(0) : found->second;
    };
    std::vector<std::string> lines;
    lines.push_back(std::to_string(count(s.perSeverity, Severity::Error)) + " errors, " +
                    std::to_string(count(s.perSeverity, Severity::Warning)) + " warnings, " +
                    std::to_string(count(s.perSeverity, Severity::Note)) + " notes");
    for (const auto& [kind, n] : s.perKind)
        lines.push_back("  " + std::to_string(n) + " " + std::string(severityName(severityOf(kind))) + " " +
                        std::string(kindName(kind)) + ": " + std::string(kindTitle(kind)));
    lines.push_back(std::to_string(s.planLines) + " flight plan lines, " + std::to_string(s.badLines) + " with errors");
    std::string records = std::to_string(s.records) + " records from the lines without errors";
    if (s.badLines > 0) records += " (none is saved unless the conversion skips the lines with errors)";
    lines.push_back(records);
    lines.push_back(std::to_string(s.knownLegs) + " of " + std::to_string(s.legs) + " legs of those lines (" +
                    percent(s.knownLegs, s.legs) + ") have a known aircraft and known airports");
    return lines;
}

std::string checkTextReport(const CheckResult& result)
{
    std::ostringstream out;
    for (const Problem& p : result.problems) {
        out << problemPlace(p) << ": " << severityName(p.severity) << " " << kindName(p.kind);
        if (!p.text.empty()) out << ": \"" << p.text << "\"";
        out << "\n    " << p.detail << "\n    -> " << p.effect << '\n';
    }
    if (!result.problems.empty()) out << '\n';
    for (const std::string& line : checkSummaryLines(result)) out << line << '\n';
    return out.str();
}

std::string checkCsvReport(const CheckResult& result)
{
    std::string out = "file,line,field,severity,kind,text,detail,effect\r\n";
    for (const Problem& p : result.problems) {
        out += csvField(p.file) + ',' + numberOrEmpty(p.line) + ',' + numberOrEmpty(std::size_t(p.field)) + ',' +
               std::string(severityName(p.severity)) + ',' + std::string(kindName(p.kind)) + ',' + csvField(p.text) +
               ',' + csvField(p.detail) + ',' + csvField(p.effect) + "\r\n";
    }
    return out;
}

std::string checkHtmlReport(const CheckResult& result, const std::vector<std::string>& files)
{
    std::string names;
    for (const std::string& file : files) names += (names.empty() ? "" : ", ") + html(file);
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Traffic check: " + names +
        "</title>\n"
        "<style>body{font-family:sans-serif;font-size:14px;margin:16px}h1{font-size:20px;margin:0 0 8px}"
        "ul{margin:4px 0 12px;padding-left:20px}table{border-collapse:collapse;width:100%}"
        "td,th{border:1px solid #999;padding:2px 6px;text-align:left;vertical-align:top}"
        "th{background:#e8e8e8}td.n{text-align:right;white-space:nowrap}td.k{white-space:nowrap}"
        "code{white-space:pre-wrap;overflow-wrap:break-word}"
        ".error{background:#fdd}.warning{background:#ffd}</style>\n</head>\n<body>\n"
        "<h1>Traffic check</h1>\n<p>" +
        names + "</p>\n<ul>\n";
    for (const std::string& line : checkSummaryLines(result)) out += "<li>" + html(line) + "</li>\n";
    out +=
        "</ul>\n<table>\n<tr><th>File</th><th>Line</th><th>Field</th><th>Severity</th><th>Kind</th><th>Text</th>"
        "<th>Detail</th><th>Conversion</th></tr>\n";
    for (const Problem& p : result.problems) {
        const std::string severity(severityName(p.severity));
        out += "<tr class=\"" + severity + "\"><td class=\"k\">" + html(p.file) + "</td><td class=\"n\">" +
               numberOrEmpty(p.line) + "</td><td class=\"n\">" + numberOrEmpty(std::size_t(p.field)) +
               "</td><td class=\"k\">" + severity + "</td><td class=\"k\">" + std::string(kindName(p.kind)) +
               "</td><td><code>" + html(p.text) + "</code></td><td>" + html(p.detail) + "</td><td>" + html(p.effect) +
               "</td></tr>\n";
    }
    out += "</table>\n</body>\n</html>\n";
    return out;
}

}  // namespace quorvel::convert
