// serve/board_server.h: the board as a web page and its JSON, over HTTP.
//
// GET (and HEAD) only:
//   /                 the board page
//   /api/board?...    the rows (serve/board_api.h)
//   /api/airports?q=  airport search for the page's chooser
//   /api/version      the snapshot's generation, polled by the page to refresh after a new table
//   /flags/NAME       a flag picture as PNG, for names the flag list gives
// Anything else is 404, another method 405, a bad parameter 400, each with a short JSON error.
//
// The server answers on its own threads (a bounded pool) from the snapshots of a SnapshotStore,
// so the thread that publishes them never waits for a client: stop() returns at once, and the
// threads end within the request deadline. A connection carries one request of at most
// maxRequestBytes, which must come whole within the deadline.
#pragma once

#include "platform/local_time.h"
#include "serve/board_snapshot.h"
#include "serve/flag_png.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace httplib {
class Server;
}

namespace quorvel::serve {

inline constexpr const char* defaultHost = "127.0.0.1";
inline constexpr int defaultPort = 8017;
inline constexpr std::size_t maxRequestHeaders = 64;

struct ServerOptions {
    std::string host = defaultHost;
    int port = 0;  // 0: a free port
    int threads = 8;
    std::chrono::seconds readTimeout{5};
    std::chrono::seconds writeTimeout{5};
    std::chrono::seconds requestDeadline{10};  // the whole request must have come by then
};

// The bytes a connection may send: its one request's head, every line and header included.
inline constexpr std::size_t maxRequestBytes = 32 * 1024;

// "127.0.0.1:8017", "0.0.0.0:80", ":8017" (the default host), "8017"; nothing when it is not
// such an address with a port from 0 to 65535.
std::optional<std::pair<std::string, int>> parseListenAddress(const std::string& text);

// Answers of the board for the present minute and snapshot: every screen that shows the same
// airport asks the same question once a minute, and only the first of them pays for the rows.
// Safe to call from any thread.
class AnswerCache {
public:
    static constexpr std::size_t maxAnswers = 512;

    // The answer kept for `question` in this generation and minute; nothing when there is none.
    std::shared_ptr<const std::string> find(std::uint64_t generation, std::int64_t minute, const std::string& question);
    void keep(std::uint64_t generation, std::int64_t minute, const std::string& question,
              std::shared_ptr<const std::string> answer);

private:
    std::mutex mutex_;
    std::uint64_t generation_ = 0;
    std::int64_t minute_ = 0;
    std::unordered_map<std::string, std::shared_ptr<const std::string>> answers_;
};

class BoardServer {
public:
    // `store` and `clock` must outlive the server.
    BoardServer(const SnapshotStore& store, const Clock& clock, ServerOptions options = {});
    ~BoardServer();  // stops, and waits for the server's threads
    BoardServer(const BoardServer&) = delete;
    BoardServer& operator=(const BoardServer&) = delete;

    // Binds and answers on a thread of its own; returns the port. Throws quorvel::Error naming the
    // address when it cannot be bound. After a stop() it first waits for the last threads to end.
    int start();
    // Stops accepting and asks the threads to end; returns without waiting for them.
    void stop();
    bool finished() const { return finished_; }  // the threads have ended (or never started)

    int port() const { return port_; }
    std::string url() const;  // "http://127.0.0.1:8017/"

private:
    class HttpServer;
    void route();

    const SnapshotStore& store_;
    const Clock& clock_;
    ServerOptions options_;
    std::unique_ptr<HttpServer> server_;
    FlagPngCache flagPngs_;
    AnswerCache answers_;
    std::thread thread_;
    std::atomic<bool> finished_{true};
    bool listening_ = false;  // between start() and stop(); only the owner's thread calls them
    int port_ = 0;
};

}  // namespace quorvel::serve
