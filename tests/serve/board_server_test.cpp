#include "platform/error.h"
#include "serve/board_server.h"
#include "tables/packet.h"
#include "tests/serve/served_board.h"
#include "tests/support/flight_rows.h"
#include "tests/support/run_tool.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <thread>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

using namespace quorvel;
using nlohmann::json;
using test::ServedBoard;

namespace {

// A connection that sends exactly the bytes it is given, as a careless or hostile client would.
class RawClient {
public:
    explicit RawClient(int port) : socket_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(std::uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(socket_); }

    bool connected() const { return connected_; }
    bool send(const std::string& bytes) const
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += std::size_t(n);
        }
        return true;
    }
    // Everything until the server closes the connection.
    std::string receiveAll() const
    {
        std::string bytes;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(socket_, buffer, sizeof buffer, 0)) > 0;) bytes.append(buffer, std::size_t(n));
        return bytes;
    }

private:
    int socket_;
    bool connected_ = false;
};

// The status of the one answer to `request`, sent as raw bytes; 0 when there is none.
int rawStatus(int port, const std::string& request, std::string* answer = nullptr)
{
    RawClient client(port);
    if (!client.connected() || !client.send(request)) return 0;
    const std::string bytes = client.receiveAll();
    if (answer) *answer = bytes;
    return bytes.starts_with("HTTP/1.1 ") ? std::atoi(bytes.substr(9, 3).c_str()) : 0;
}

std::string rawGet(const std::string& target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
}

tables::Table demoFlights()
{
    tables::Table flights = tables::newFlightTable();
    const test::Leg legs[] = {
        {"LIRF", "LFPG", "06:10", "08:20", "0123456", "0123456", 100, true, "AZ310", "ALITALIA"},
        {"LIRF", "EGLL", "23:40", "01:50", "1", "2", 100, false, "BA555", "BRITISH"},
        {"LIRF", "LFPG", "12:00", "14:10", "135", "135", 60, true, "AF100", "AIR FRANCE"},
        {"LFPG", "LIRF", "09:00", "11:10", "0123456", "0123456", 100, true, "AF200", "AIR FRANCE"},
        {"EGLL", "LIRF", "22:30", "00:40", "0", "1", 100, false, "BA556", "BRITISH"},
        {"LFPG", "LIRF", "00:20", "02:30", "1", "1", 40, true, "AZ999", "OUTSIDE AIR"},
    };
    for (const test::Leg& leg : legs) test::addLeg(flights, leg);
    flights.setIntegerProperty(tables::utcOffsetPropertyName, -1);  // converted on a computer one hour east
    return flights;
}

std::vector<std::string> csvFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(line.substr(start, comma - start));
    fields.push_back(line.substr(start));
    for (std::string& field : fields)
        if (field == "\"\"") field.clear();
    return fields;
}

}  // namespace

TEST(BoardServer, AnswersThePageTheApiAndFlags)
{
    ServedBoard board;
    board.publish(demoFlights());
    int status = 0;
    std::string type;
    const std::string page = board.get("/?airport=LIRF&zone=airport", &status, &type);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(type, "text/html; charset=utf-8");
    EXPECT_NE(page.find("<section id=\"departures\""), std::string::npos);
    EXPECT_NE(page.find("<section id=\"arrivals\""), std::string::npos);
    EXPECT_EQ(page.find("http://"), std::string::npos) << "the page must fetch nothing from elsewhere";
    EXPECT_EQ(page.find("https://"), std::string::npos);

    EXPECT_EQ(json::parse(board.get("/api/version", &status))["generation"], 2);
    EXPECT_EQ(status, 200);

    const json answer = json::parse(board.get("/api/board?airport=lirf&zone=airport&at=2024-01-08T05:00", &status));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(answer["description"], "ROME FIUMICINO");
    EXPECT_EQ(answer["zone"]["name"], "Europe/Rome");
    EXPECT_EQ(answer["zone"]["offset"], "UTC+01:00");
    EXPECT_EQ(answer["interval"]["start"], "2024-01-08T00:00");
    EXPECT_EQ(answer["interval"]["end"], "2024-01-09T00:00");
    ASSERT_EQ(answer["rows"].size(), 2u);  // national legs on a Monday: AZ310 and AF100
    EXPECT_EQ(answer["rows"][0]["flight"], "AZ310");
    EXPECT_EQ(answer["rows"][0]["time"], "06:10");  // stored 06:10 on a table moved by -1 h: 05:10 UTC, 06:10 in Rome
    EXPECT_EQ(answer["rows"][0]["flag"], "AZL");
    EXPECT_EQ(answer["rows"][1]["flag"], nullptr);

    // A page asks for the rows it can show; the total still counts them all.
    const json first = json::parse(board.get("/api/board?airport=LIRF&zone=airport&at=2024-01-08T05:00&limit=1"));
    EXPECT_EQ(first["total"], 2);
    ASSERT_EQ(first["rows"].size(), 1u);
    EXPECT_EQ(first["rows"][0]["flight"], "AZ310");

    const std::string png = board.get("/flags/azl", &status, &type);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(type, "image/png");
    EXPECT_EQ(test::pngSize(png), (std::pair{60, 20}));

    const json airports = json::parse(board.get("/api/airports?q=rome", &status));
    EXPECT_EQ(status, 200);
    ASSERT_EQ(airports["airports"].size(), 2u);
    EXPECT_EQ(airports["airports"][0]["code"], "LIRA");

    httplib::Client client("127.0.0.1", board.port);
    const auto head = client.Head("/flags/AZL");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->body, "");
}

TEST(BoardServer, JsonRowsAreTheRowsOfQrvlToolBoard)
{
    ServedBoard board;
    board.publish(demoFlights());
    const struct {
        std::string query;
        std::vector<std::string> options;
    } questions[] = {
        {"airport=LIRF&at=2024-01-08T10:00", {"--at", "2024-01-08 10:00"}},
        {"airport=LIRF&direction=arrivals&at=2024-01-08T10:00", {"--arrival", "--at", "2024-01-08 10:00"}},
        {"airport=LIRF&international=1&at=2024-01-08T10:00", {"--international", "--at", "2024-01-08 10:00"}},
        {"airport=LIRF&traffic=50&direction=arrivals&at=2024-01-08T10:00",
         {"--traffic", "50", "--arrival", "--at", "2024-01-08 10:00"}},
        {"airport=LIRF&zone=airport&window=12&at=2024-01-08T20:00",
         {"--zone", "airport", "--window", "12", "--at", "2024-01-08 20:00"}},
        {"airport=LIRF&zone=utc&window=6&direction=arrivals&international=1&at=2024-01-08T22:00",
         {"--zone", "utc", "--window", "6", "--arrival", "--international", "--at", "2024-01-08 22:00"}},
        {"airport=LIRF&zone=airport&at=2024-01-07T23:00", {"--zone", "airport", "--at", "2024-01-07 23:00"}},
        {"airport=LFPG&zone=computer&window=24&at=2024-01-08T00:00",
         {"--zone", "computer", "--window", "24", "--at", "2024-01-08 00:00"}},
    };
    int compared = 0;
    for (const auto& [query, options] : questions) {
        SCOPED_TRACE(query);
        const std::string airport = query.substr(8, 4);
        std::vector<std::string> args = {"board", "--flights", (board.folder / "flight.cds").string(), "--airport",
                                         airport, "--zones",   (board.folder / "airport-zones.csv").string()};
        args.insert(args.end(), options.begin(), options.end());
        const test::ToolRun run = test::runTool(QRVL_TOOL_PATH, args, board.folder.path());
        ASSERT_EQ(run.status, 0) << run.err;
        std::vector<std::string> lines;
        for (std::size_t start = 0, end; (end = run.out.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(run.out.substr(start, end - start));
        ASSERT_FALSE(lines.empty());
        const std::vector<std::string> header = csvFields(lines[0]);
        const auto column = [&](const std::string& name) {
            return std::size_t(std::find(header.begin(), header.end(), name) - header.begin());
        };
        const bool timed = header[0] == "DAY";

        int status = 0;
        const json answer = json::parse(board.get("/api/board?" + query, &status));
        ASSERT_EQ(status, 200);
        const json& rows = answer["rows"];
        ASSERT_EQ(rows.size(), lines.size() - 1);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::vector<std::string> fields = csvFields(lines[i + 1]);
            const json& row = rows[i];
            if (timed) {
                EXPECT_EQ(row["day"], fields[column("DAY")]);
                EXPECT_EQ(row["time"], fields[column("TIME")]);
            }
            EXPECT_EQ(row["flight"], fields[column("FLIGHT")]);
            EXPECT_EQ(row["airline"], fields[column("AIRLINE")]);
            EXPECT_EQ(row["depCode"], fields[column("ICAO_CODE_DEP")]);
            EXPECT_EQ(row["arrCode"], fields[column("ICAO_CODE_ARR")]);
            EXPECT_EQ(row["from"], fields[column("DEP_APT")]);
            EXPECT_EQ(row["to"], fields[column("DEST_APT")]);
            EXPECT_EQ(row["timeDep"], fields[column("TIME_DEP")]);
            EXPECT_EQ(row["timeArr"], fields[column("TIME_ARR")]);
            EXPECT_EQ(row["remarks"], fields[column("NOTE")]);
            ++compared;
        }
    }
    EXPECT_GE(compared, 10);  // the questions are chosen so that most have rows
}

TEST(BoardServer, AnswersOnlyGetAndHead)
{
    ServedBoard board;
    for (const char* method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS", "TRACE", "CONNECT"}) {
        std::string answer;
        const int status = rawStatus(board.port,
                                     std::string(method) + " /api/board?airport=LIRF HTTP/1.1\r\nHost: x\r\n"
                                                           "Content-Length: 2\r\nConnection: close\r\n\r\n{}",
                                     &answer);
        EXPECT_EQ(status, 405) << method;
        EXPECT_NE(answer.find("Allow: GET, HEAD"), std::string::npos) << method;
        EXPECT_NE(answer.find("{\"error\":\"only GET and HEAD are answered\"}"), std::string::npos) << method;
    }
    // A method HTTP does not have is not even read as a request.
    EXPECT_EQ(rawStatus(board.port, "BREW / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"), 400);
}

TEST(BoardServer, NothingOutsideTheListedFlagsIsReachable)
{
    ServedBoard board;
    // The list names "../outside", and outside.bmp lies just above the flag folder: still not served.
    for (const char* target :
         {"/flags/..%2Foutside", "/flags/..%2foutside", "/flags/%2e%2e%2foutside", "/flags/../outside",
          "/flags/%2E%2E%2F%2E%2E%2Fetc%2Fpasswd", "/flags/..%5Coutside", "/flags/%2Fetc%2Fpasswd", "/flags//etc/passwd",
          "/flags/fmlist", "/flags/AZL.BMP", "/flags/AZL.png", "/flags/NOPIC", "/flags/", "/flags/%00AZL",
          "/flags/AZL%00", "/flags/AZL?x=1", "/flag/fmlist", "/../outside.bmp", "/outside.bmp", "/etc/passwd",
          "/airport.cds", "/flight.cds", "/api", "/api/board/LIRF", "/index.html", "//", "/%2e%2e/"}) {
        std::string answer;
        const int status = rawStatus(board.port, rawGet(target), &answer);
        EXPECT_TRUE(status == 404 || status == 400) << target << ": " << status;
        EXPECT_EQ(answer.find("\r\n\r\nBM"), std::string::npos) << target;
        EXPECT_EQ(answer.find("image/png"), std::string::npos) << target;
        EXPECT_EQ(answer.find("root:"), std::string::npos) << target;
        EXPECT_NE(answer.find("{\"error\":"), std::string::npos) << target;
    }
    EXPECT_EQ(rawStatus(board.port, rawGet("/flags/AZL")), 200);  // the same connection kind does reach a flag
}

TEST(BoardServer, BadParametersGet400WithAShortJsonError)
{
    ServedBoard board;
    const struct {
        std::string target;
        std::string error;
    } cases[] = {
        {"/api/board", "airport is required"},
        {"/api/board?airport=LIRF&airport=EGLL", "parameter \"airport\" given twice"},
        {"/api/board?airport=LIRF&window=99", "window takes a whole number from 0 to 24"},
        {"/api/board?airport=XXXX", "unknown airport \"XXXX\""},
        {"/api/board?airport=LIRF&sort=time", "unknown parameter \"sort\""},
        {"/api/board?airport=%27%3B--", "airport takes a code of 1 to 8 letters and digits"},
        {"/api/airports?q=" + std::string(80, 'a'), "q takes at most 64 characters"},
        {"/api/version?x=1", "version takes no parameters"},
    };
    for (const auto& [target, error] : cases) {
        int status = 0;
        std::string type;
        const std::string body = board.get(target, &status, &type);
        EXPECT_EQ(status, 400) << target;
        EXPECT_EQ(type, "application/json; charset=utf-8") << target;
        EXPECT_EQ(body, json({{"error", error}}).dump()) << target;
    }
}

TEST(BoardServer, OversizedRequestsAreRefusedAndTheServerGoesOn)
{
    serve::ServerOptions options;
    options.readTimeout = std::chrono::seconds(1);
    ServedBoard board(options);
    std::string headers;
    for (std::size_t i = 0; i <= serve::maxRequestHeaders; ++i) headers += "X-" + std::to_string(i) + ": 1\r\n";
    std::string many;  // each line short enough for the library, all of them too many bytes
    while (many.size() <= serve::maxRequestBytes) many += "X-Long: " + std::string(4000, 'a') + "\r\n";
    const struct {
        std::string name;
        std::string request;
        int status;
    } cases[] = {
        {"request line", rawGet("/api/board?airport=LIRF&q=" + std::string(9000, 'a')), 414},
        {"header line", "GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(9000, 'a') + "\r\n\r\n", 400},
        {"header count", "GET / HTTP/1.1\r\nHost: x\r\n" + headers + "Connection: close\r\n\r\n", 431},
        {"header bytes", "GET / HTTP/1.1\r\nHost: x\r\n" + many + "\r\n", 0},
        {"not HTTP", "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\r\n\r\n", 0},  // closed unanswered
        {"no version", "GET /\r\n\r\n", 0},
    };
    for (const auto& [name, request, status] : cases) {
        const int answered = rawStatus(board.port, request);
        if (status == 0)
            EXPECT_TRUE(answered == 0 || answered == 400) << name << ": " << answered;
        else
            EXPECT_EQ(answered, status) << name;
        int after = 0;
        board.get("/api/version", &after);
        EXPECT_EQ(after, 200) << "after " << name;
    }
}

TEST(BoardServer, ASlowOrVanishedClientBlocksNeitherPublishingNorOtherClients)
{
    serve::ServerOptions options;
    options.threads = 2;
    options.readTimeout = std::chrono::seconds(1);
    ServedBoard board(options);
    RawClient slow(board.port);
    ASSERT_TRUE(slow.connected());
    ASSERT_TRUE(slow.send("GET /api/board?airport=LIRF HTTP/1.1\r\nHost: x\r\n"));  // and never the end
    {
        RawClient vanished(board.port);
        ASSERT_TRUE(vanished.send("GET / HTTP/1.1\r\nHo"));
    }
    for (int i = 0; i < 3; ++i) {
        board.publish(demoFlights());  // what the window does after a load, while the slow client waits
        int status = 0;
        const json version = json::parse(board.get("/api/version", &status));
        EXPECT_EQ(status, 200);
        EXPECT_EQ(version["generation"], 2 + i);
    }
    board.server->stop();
    EXPECT_EQ(slow.receiveAll().find("200 OK"), std::string::npos);  // it is cut off, not answered
}

TEST(BoardServer, AClientThatTricklesItsRequestIsCutOffAtTheDeadline)
{
    serve::ServerOptions options;
    options.threads = 1;
    options.requestDeadline = std::chrono::seconds(1);
    ServedBoard board(options);
    RawClient slow(board.port);
    ASSERT_TRUE(slow.send("GET /api/version HTTP/1.1\r\n"));
    // A header line now and then, each well within the read timeout: only the deadline ends it.
    bool cut = false;
    for (int i = 0; i < 50 && !cut; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cut = !slow.send("X-" + std::to_string(i) + ": 1\r\n");
    }
    EXPECT_TRUE(cut);  // the server closed the connection while the client was still sending
    EXPECT_EQ(slow.receiveAll().find("200 OK"), std::string::npos);
    int status = 0;
    board.get("/api/version", &status);
    EXPECT_EQ(status, 200);
}

TEST(BoardServer, ARequestKeepsItsSnapshotWhileANewTableIsPublished)
{
    ServedBoard board;
    board.publish(demoFlights());
    const std::shared_ptr<const serve::Snapshot> held = board.store.current();
    board.publish(tables::newFlightTable());
    EXPECT_EQ(held->data.flights->totalFlights, 6u);
    EXPECT_EQ(board.store.current()->data.flights->totalFlights, 0u);
    EXPECT_EQ(board.store.current()->generation, held->generation + 1);

    const json answer = json::parse(board.get("/api/board?airport=LIRF&at=2024-01-08T10:00"));
    EXPECT_EQ(answer["generation"], held->generation + 1);
    EXPECT_TRUE(answer["rows"].empty());
}

TEST(BoardServer, ListenAddressesAreReadStrictly)
{
    using Address = std::optional<std::pair<std::string, int>>;
    EXPECT_EQ(serve::parseListenAddress("127.0.0.1:8017"), (Address{{"127.0.0.1", 8017}}));
    EXPECT_EQ(serve::parseListenAddress("0.0.0.0:80"), (Address{{"0.0.0.0", 80}}));
    EXPECT_EQ(serve::parseListenAddress(":0"), (Address{{"127.0.0.1", 0}}));
    EXPECT_EQ(serve::parseListenAddress("9000"), (Address{{"127.0.0.1", 9000}}));
    EXPECT_EQ(serve::parseListenAddress("[::1]:9000"), (Address{{"::1", 9000}}));
    for (const char* bad : {"", "host:", "host:65536", "host:-1", "host:80x", "localhost: 80"})
        EXPECT_FALSE(serve::parseListenAddress(bad)) << bad;

    ServedBoard board;  // holds its port: a second server there is refused, naming the address
    const test::FixedClock clock;
    serve::ServerOptions taken;
    taken.port = board.port;
    serve::BoardServer second(board.store, clock, taken);
    try {
        second.start();
        ADD_FAILURE() << "a taken port was bound";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("127.0.0.1:" + std::to_string(board.port)), std::string::npos) << e.what();
    }
}

TEST(AnswerCache, KeepsAnswersForOneGenerationAndMinuteOnly)
{
    serve::AnswerCache cache;
    const auto answer = std::make_shared<const std::string>("rows");
    cache.keep(3, 100, "airport=LIRF&", answer);
    EXPECT_EQ(cache.find(3, 100, "airport=LIRF&"), answer);
    EXPECT_EQ(cache.find(3, 100, "airport=LFPG&"), nullptr);
    EXPECT_EQ(cache.find(4, 100, "airport=LIRF&"), nullptr);  // a new table
    EXPECT_EQ(cache.find(3, 101, "airport=LIRF&"), nullptr);  // the next minute

    cache.keep(4, 100, "airport=LFPG&", answer);  // the new table's first answer drops the old ones
    EXPECT_EQ(cache.find(4, 100, "airport=LIRF&"), nullptr);
    EXPECT_EQ(cache.find(4, 100, "airport=LFPG&"), answer);

    for (std::size_t i = 0; i < serve::AnswerCache::maxAnswers; ++i) cache.keep(4, 100, std::to_string(i), answer);
    EXPECT_EQ(cache.find(4, 100, "airport=LFPG&"), nullptr);  // full: started over, never grown past the bound
    EXPECT_EQ(cache.find(4, 100, std::to_string(serve::AnswerCache::maxAnswers - 1)), answer);
}

TEST(BoardServer, StartsAgainAfterAStop)
{
    ServedBoard board;
    const int first = board.port;
    board.server->stop();
    int status = 0;
    board.get("/api/version", &status);
    EXPECT_EQ(status, -1);  // nobody listens
    board.port = board.server->start();
    EXPECT_EQ(board.server->start(), board.port);  // already listening: the same port
    board.get("/api/version", &status);
    EXPECT_EQ(status, 200) << "first port " << first << ", now " << board.port;
}
