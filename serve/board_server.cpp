#include "serve/board_server.h"

#include "platform/error.h"
#include "serve/board_api.h"
#include "serve/board_page.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>

namespace quorvel::serve {

namespace {

// A connection as the library reads it, with two bounds the library lacks: the bytes a client
// may send (a request here is only its head, and the library bounds each line but not their
// number) and the time the whole request may take (a client that trickles a byte now and then
// would otherwise hold a thread for hours).
class BoundedStream final : public httplib::Stream {
public:
    BoundedStream(int socket, const ServerOptions& options)
        : socket_(socket),
          options_(options),
          deadline_(std::chrono::steady_clock::now() + options.requestDeadline)
    {
    }

    bool is_readable() const override { return next_ < buffer_.size() || wait(POLLIN, options_.readTimeout); }
    bool is_writable() const override { return wait(POLLOUT, options_.writeTimeout); }

    // The library reads a request's lines a byte at a time, so bytes come from a buffer.
    ssize_t read(char* ptr, size_t size) override
    {
        if (next_ == buffer_.size()) {
            if (received_ >= maxRequestBytes || !is_readable()) return -1;
            buffer_.resize(std::min<std::size_t>(4096, maxRequestBytes - received_));
            const ssize_t n = ::recv(socket_, buffer_.data(), buffer_.size(), 0);
            buffer_.resize(n > 0 ? std::size_t(n) : 0);
            next_ = 0;
            if (n <= 0) return n;
            received_ += std::size_t(n);
        }
        const std::size_t n = std::min(size, buffer_.size() - next_);
        std::copy_n(buffer_.data() + next_, n, ptr);
        next_ += n;
        return ssize_t(n);
    }
    ssize_t write(const char* ptr, size_t size) override
    {
        return is_writable() ? ::send(socket_, ptr, size, MSG_NOSIGNAL) : -1;
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override { address(::getpeername, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { address(::getsockname, ip, port); }
    socket_t socket() const override { return socket_; }

private:
    // Reading waits until the request's deadline at the latest.
    bool wait(short events, std::chrono::seconds timeout) const
    {
        using namespace std::chrono;
        auto limit = duration_cast<milliseconds>(timeout);
        if (events == POLLIN) limit = std::min(limit, duration_cast<milliseconds>(deadline_ - steady_clock::now()));
        if (limit.count() <= 0) return false;
        pollfd poll{socket_, events, 0};
        return ::poll(&poll, 1, int(limit.count())) > 0 && (poll.revents & (events | POLLHUP)) != 0;
    }
    template <typename Name>
    void address(Name name, std::string& ip, int& port) const
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        char text[INET6_ADDRSTRLEN] = "";
        port = 0;
        if (name(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
        if (address.ss_family == AF_INET) {
            const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
            ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
            port = ntohs(v4.sin_port);
        } else if (address.ss_family == AF_INET6) {
            const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
            ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
            port = ntohs(v6.sin6_port);
        }
        ip = text;
    }

    int socket_;
    const ServerOptions& options_;
    std::chrono::steady_clock::time_point deadline_;
    std::size_t received_ = 0;
    std::string buffer_;
    std::size_t next_ = 0;
};

}  // namespace

class BoardServer::HttpServer final : public httplib::Server {
public:
    explicit HttpServer(const ServerOptions& options) : options_(options) {}

    // The library listens with a backlog of 5, so a burst of screens connecting at once would
    // lose connections for a second or more; the socket is widened once bound.
    void widenBacklog() { ::listen(svr_sock_, backlog); }
    static constexpr int backlog = 128;

private:
    // One request a connection, read through the bounds above; the library parses it.
    bool process_and_close_socket(socket_t socket) override
    {
        // An answer goes out whole at once, not after the client's delayed acknowledgement.
        const int yes = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        bool closed = false;
        bool answered = false;
        {
            BoundedStream stream(socket, options_);
            answered = process_request(stream, true, closed, nullptr);
        }
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
        return answered;
    }

    const ServerOptions& options_;
};

namespace {

constexpr const char* jsonType = "application/json; charset=utf-8";

// The page is served with everything it needs inline; nothing may come from elsewhere.
constexpr const char* pagePolicy =
    "default-src 'none'; img-src 'self'; connect-src 'self'; style-src 'unsafe-inline'; script-src 'unsafe-inline'";

Params paramsOf(const httplib::Request& request)
{
    return Params(request.params.begin(), request.params.end());
}

void answerJson(httplib::Response& response, int status, std::string body)
{
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(std::move(body), jsonType);
}

void answerError(httplib::Response& response, int status, const std::string& message)
{
    answerJson(response, status, errorJson(message));
}

const char* statusText(int status)
{
    switch (status) {
    case 400: return "bad request";
    case 404: return "not found";
    case 413: return "request too large";
    case 414: return "request line too long";
    case 431: return "header lines too large";
    default: return status >= 500 ? "server error" : "request refused";
    }
}

// Runs `answer`, turning a rejected parameter into 400.
template <typename Answer>
void guarded(httplib::Response& response, Answer&& answer)
{
    try {
        answerJson(response, 200, answer());
    } catch (const RequestError& e) {
        answerError(response, 400, e.what());
    }
}

}  // namespace

std::shared_ptr<const std::string> AnswerCache::find(std::uint64_t generation, std::int64_t minute,
                                                     const std::string& question)
{
    const std::lock_guard lock(mutex_);
    if (generation != generation_ || minute != minute_) return nullptr;
    const auto found = answers_.find(question);
    return found == answers_.end() ? nullptr : found->second;
}

void AnswerCache::keep(std::uint64_t generation, std::int64_t minute, const std::string& question,
                       std::shared_ptr<const std::string> answer)
{
    const std::lock_guard lock(mutex_);
    if (generation != generation_ || minute != minute_ || answers_.size() >= maxAnswers) {
        answers_.clear();
        generation_ = generation;
        minute_ = minute;
    }
    answers_[question] = std::move(answer);
}

std::optional<std::pair<std::string, int>> parseListenAddress(const std::string& text)
{
    const std::size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? std::string(defaultHost) : text.substr(0, colon);
    const std::string portText = colon == std::string::npos ? text : text.substr(colon + 1);
    if (host.empty()) host = defaultHost;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    int port = -1;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || error != std::errc() || end != portText.data() + portText.size() || port < 0 ||
        port > 65535)
        return std::nullopt;
    return std::pair{host, port};
}

BoardServer::BoardServer(const SnapshotStore& store, const Clock& clock, ServerOptions options)
    : store_(store), clock_(clock), options_(std::move(options)), server_(std::make_unique<HttpServer>(options_))
{
    const int threads = std::max(1, options_.threads);
    server_->new_task_queue = [threads] { return new httplib::ThreadPool(std::size_t(threads)); };
    server_->set_read_timeout(options_.readTimeout);
    server_->set_write_timeout(options_.writeTimeout);
    server_->set_payload_max_length(0);
    // The library's default would also share the port with any other program that asks for it
    // (SO_REUSEPORT), so that a second board server on a taken port would start without a word.
    server_->set_socket_options([](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    route();
}

BoardServer::~BoardServer()
{
    stop();
    if (thread_.joinable()) thread_.join();
}

void BoardServer::route()
{
    httplib::Server& server = *server_;
    server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        if (request.method != "GET" && request.method != "HEAD") {
            response.set_header("Allow", "GET, HEAD");
            answerError(response, 405, "only GET and HEAD are answered");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (request.headers.size() > maxRequestHeaders) {
            answerError(response, 431, "too many header lines");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Content-Security-Policy", pagePolicy);
        response.set_header("Cache-Control", "no-cache");
        response.set_content(std::string(boardPage()), "text/html; charset=utf-8");
    });
    server.Get("/api/board", [this](const httplib::Request& request, httplib::Response& response) {
        try {
            const Params params = paramsOf(request);  // in name order: the same question, the same text
            const BoardRequest board = parseBoardRequest(params);
            const Present present{clock_.now(),
                                  std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now())};
            const std::shared_ptr<const Snapshot> snapshot = store_.current();
            // The answer depends on the present only to the minute (the clock of the computer too).
            const std::int64_t minute = std::chrono::floor<std::chrono::minutes>(present.instant).time_since_epoch().count();
            std::string question;
            for (const auto& [name, value] : params) question += name + "=" + value + "&";
            question += present.local.timeText();
            std::shared_ptr<const std::string> answer = answers_.find(snapshot->generation, minute, question);
            if (!answer) {
                answer = std::make_shared<const std::string>(boardJson(*snapshot, board, present));
                answers_.keep(snapshot->generation, minute, question, answer);
            }
            answerJson(response, 200, *answer);
        } catch (const RequestError& e) {
            answerError(response, 400, e.what());
        }
    });
    server.Get("/api/airports", [this](const httplib::Request& request, httplib::Response& response) {
        guarded(response, [&] { return airportsJson(*store_.current(), paramsOf(request)); });
    });
    server.Get("/api/version", [this](const httplib::Request& request, httplib::Response& response) {
        guarded(response, [&] {
            if (!request.params.empty()) throw RequestError("version takes no parameters");
            return versionJson(*store_.current());
        });
    });
    // One path segment after /flags/, already decoded; the list decides which names exist.
    server.Get(R"(/flags/([^/]+))", [this](const httplib::Request& request, httplib::Response& response) {
        const std::shared_ptr<const Snapshot> snapshot = store_.current();
        std::optional<std::string> name;
        if (snapshot->data.flagList && request.params.empty())
            name = listedFlagName(*snapshot->data.flagList, request.matches[1].str());
        const std::shared_ptr<const std::string> png =
            name ? flagPngs_.png(snapshot->data.flagFolder, *name) : nullptr;
        if (!png) return answerError(response, 404, "no such flag");
        response.set_header("Cache-Control", "no-cache");
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_content(*png, "image/png");
    });
    server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
        // Answers that carry their own text keep it; the rest (404 for an unknown path, the
        // library's 400 and 414) get a short JSON one.
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        answerError(response, response.status, statusText(response.status));
        return httplib::Server::HandlerResponse::Handled;
    }));
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        answerError(response, 500, "the board could not be made");
    });
}

int BoardServer::start()
{
    if (listening_) return port_;
    if (thread_.joinable()) thread_.join();  // started again after a stop: the last threads end first
    const int port = options_.port == 0 ? server_->bind_to_any_port(options_.host)
                                        : (server_->bind_to_port(options_.host, options_.port) ? options_.port : -1);
    if (port < 0)
        throw Error("cannot listen on " + options_.host + ":" + std::to_string(options_.port) +
                    " (the address is taken or not this computer's)");
    server_->widenBacklog();
    listening_ = true;
    port_ = port;
    finished_ = false;
    thread_ = std::thread([this] {
        server_->listen_after_bind();
        finished_ = true;
    });
    // A stop() before the thread is listening would be lost, and the server would never end.
    while (!server_->is_running() && !finished_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port_;
}

void BoardServer::stop()
{
    listening_ = false;
    server_->stop();
}

std::string BoardServer::url() const
{
    const bool any = options_.host == "0.0.0.0" || options_.host == "::" || options_.host.empty();
    const std::string host = any ? std::string(defaultHost) : options_.host;
    const bool v6 = host.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port_) + "/";
}

}  // namespace quorvel::serve
