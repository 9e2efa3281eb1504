#include "cli/Serve.h"

#include "cli/CliText.h"
#include "cli/UserTable.h"
#include "cli/WebBoard.h"
#include "records/QelFile.h"

#include <httplib.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace qel::cli {

bool ParseListenAddress(const std::string& text, std::string* host, int* port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    std::string address = text.substr(0, colon);
    const std::string digits = text.substr(colon + 1);
    if (address.front() == '[') {
        if (address.size() < 3 || address.back() != ']')
            return false;
        address = address.substr(1, address.size() - 2);
    } else if (address.find(':') != std::string::npos) {
        return false;
    }
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int value = std::stoi(digits);
    if (value > 65535)
        return false;
    *host = address;
    *port = value;
    return true;
}

namespace {

using Clock = std::chrono::steady_clock;

// The board as the server knows it: one stamp check per tick for all
// clients, one read per change, each read published to every waiting stream.
class TBoardFeed {
public:
    TBoardFeed(TPlatform& platform, const TServeOptions& options, std::ostream& log, std::mutex& logMutex)
        : FPlatform(platform), FFolder(options.DatabaseFolder), FEngineFolder(options.EngineFolder), FLog(log),
          FLogMutex(logMutex) {}

    // Called from one thread only.
    void Tick() {
        const TFileStamp stamp = FPlatform.FileStamp(FFolder + UsersDatasetName + ".isd");
        if (FLastStamp && stamp == *FLastStamp)
            return;
        FLastStamp = stamp;
        auto snapshot = std::make_shared<TBoardSnapshot>();
        snapshot->ChangedNs = stamp.ModifiedNs;
        if (stamp.IsMissing()) {
            snapshot->Error = "the database folder " + FFolder + " holds no " + UsersDatasetName +
                              ".isd (is the network share mounted?)";
        } else {
            snapshot->Rows = ReadUsers(FFolder + UsersDatasetName, FEngineFolder, &snapshot->Error);
            if (snapshot->Rows) {
                snapshot->AllJson = BoardJson(*snapshot->Rows, std::nullopt);
            } else {
                snapshot->Error = "unable to read the users dataset: " + snapshot->Error;
                // Perhaps a passing fault (a writer's lock): read again at the next tick.
                FLastStamp.reset();
            }
        }
        std::lock_guard lock(FMutex);
        if (!snapshot->Rows && FCurrent && !FCurrent->Rows && FCurrent->Error == snapshot->Error)
            return; // the same failure again: nothing new to tell
        if (!snapshot->Rows) {
            std::lock_guard logLock(FLogMutex);
            FLog << "error: " << snapshot->Error << '\n' << std::flush;
        }
        snapshot->Version = FCurrent ? FCurrent->Version + 1 : 1;
        FCurrent = std::move(snapshot);
        FChanged.notify_all();
    }

    std::shared_ptr<const TBoardSnapshot> Current() {
        std::lock_guard lock(FMutex);
        return FCurrent;
    }

    // The board once it is newer than `version`, or the current one after
    // `timeout`; null once Stop was called.
    std::shared_ptr<const TBoardSnapshot> WaitNewer(uint64_t version, Clock::duration timeout) {
        std::unique_lock lock(FMutex);
        FChanged.wait_for(lock, timeout, [&] { return FStopping || (FCurrent && FCurrent->Version != version); });
        return FStopping ? nullptr : FCurrent;
    }

    void Stop() {
        std::lock_guard lock(FMutex);
        FStopping = true;
        FChanged.notify_all();
    }

    bool AcquireStream() {
        if (FStreams.fetch_add(1) < MaxEventStreams)
            return true;
        FStreams.fetch_sub(1);
        return false;
    }
    void ReleaseStream() { FStreams.fetch_sub(1); }

private:
    TPlatform& FPlatform;
    const std::string FFolder;
    const std::string FEngineFolder;
    std::ostream& FLog;
    std::mutex& FLogMutex;
    std::optional<TFileStamp> FLastStamp;

    std::mutex FMutex;
    std::condition_variable FChanged;
    std::shared_ptr<const TBoardSnapshot> FCurrent;
    bool FStopping = false;
    std::atomic<int> FStreams{0};
};

// The department a request shows: the server's own when it has one, else
// the query's (an empty one means all).
std::optional<std::string> RequestDepartment(const httplib::Request& request, const TServeOptions& options) {
    if (options.Department)
        return options.Department;
    const std::string department = request.get_param_value("department");
    return department.empty() ? std::nullopt : std::optional<std::string>(department);
}

void SendFile(httplib::Response& response, const TEmbeddedFile* file, const char* type) {
    if (!file) {
        response.status = 404;
        return;
    }
    response.set_header("Cache-Control", "public, max-age=86400");
    response.set_content(reinterpret_cast<const char*>(file->Data), file->Size, type);
}

std::string LogTime() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

} // namespace

int RunServe(const TServeOptions& options, TPlatform& platform, std::ostream& log, const std::atomic<bool>* stop) {
    // A browser that goes away mid-stream must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    std::mutex logMutex;
    TBoardFeed feed(platform, options, log, logMutex);
    feed.Tick();

    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(MaxEventStreams + 16); };
    server.set_payload_max_length(MaxRequestBytes);
    server.set_keep_alive_max_count(100);
    server.set_tcp_nodelay(true);
    server.set_keep_alive_timeout(5);
    server.set_read_timeout(5);
    server.set_write_timeout(5);
    server.set_default_headers({{"Content-Security-Policy", "default-src 'self'"},
                                {"X-Content-Type-Options", "nosniff"},
                                {"Referrer-Policy", "no-referrer"}});
    server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        size_t size = request.method.size() + request.target.size();
        for (const auto& [name, value] : request.headers)
            size += name.size() + value.size() + 4;
        if (size <= MaxRequestBytes)
            return httplib::Server::HandlerResponse::Unhandled;
        response.status = 431;
        return httplib::Server::HandlerResponse::Handled;
    });
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty())
            response.set_content(response.status == 404 ? "Not found\n"
                                                        : "Refused (" + std::to_string(response.status) + ")\n",
                                 "text/plain; charset=utf-8");
    });
    server.set_logger([&](const httplib::Request& request, const httplib::Response& response) {
        std::lock_guard lock(logMutex);
        log << LogTime() << ' ' << request.remote_addr << ' ' << TsvField(request.method) << ' '
            << TsvField(request.target) << ' ' << response.status << '\n'
            << std::flush;
    });

    server.Get("/", [&](const httplib::Request& request, httplib::Response& response) {
        const auto snapshot = feed.Current();
        TPageOptions page;
        page.Department = RequestDepartment(request, options);
        page.Kiosk = request.get_param_value("kiosk") == "1";
        page.DepartmentLinks = !options.Department;
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char clock[8];
        std::strftime(clock, sizeof clock, "%H:%M", &local);
        page.Clock = clock;
        response.status = snapshot->Rows ? 200 : 503;
        response.set_header("Cache-Control", "no-store");
        response.set_content(BoardPage(*snapshot, page), "text/html; charset=utf-8");
    });
    server.Get("/board.json", [&](const httplib::Request& request, httplib::Response& response) {
        const auto snapshot = feed.Current();
        response.set_header("Cache-Control", "no-store");
        if (!snapshot->Rows) {
            response.status = 503;
            response.set_content("{\"error\":" + JsonString(snapshot->Error) + "}\n", "application/json");
            return;
        }
        const auto department = RequestDepartment(request, options);
        response.set_content((department ? BoardJson(*snapshot->Rows, department) : snapshot->AllJson) + "\n",
                             "application/json");
    });
    server.Get("/events", [&](const httplib::Request& request, httplib::Response& response) {
        if (!feed.AcquireStream()) {
            response.status = 503;
            response.set_header("Retry-After", "30");
            response.set_content("Too many open event streams\n", "text/plain; charset=utf-8");
            return;
        }
        response.set_header("Cache-Control", "no-store");
        auto sent = std::make_shared<uint64_t>(0);
        response.set_chunked_content_provider(
            "text/event-stream",
            [&feed, sent, department = RequestDepartment(request, options)](size_t, httplib::DataSink& sink) {
                // A comment line every 15 s finds browsers that went away.
                const auto snapshot = feed.WaitNewer(*sent, std::chrono::seconds(15));
                if (!snapshot)
                    return false;
                if (snapshot->Version == *sent)
                    return sink.write(":\n\n", 3);
                *sent = snapshot->Version;
                const std::string event = "data: " + BoardEvent(*snapshot, department) + "\n\n";
                return sink.write(event.data(), event.size());
            },
            [&feed](bool) { feed.ReleaseStream(); });
    });
    server.Get("/board.js", [](const httplib::Request&, httplib::Response& response) {
        SendFile(response, FindEmbeddedFile("board.js"), "text/javascript; charset=utf-8");
    });
    server.Get("/board.css", [](const httplib::Request&, httplib::Response& response) {
        SendFile(response, FindEmbeddedFile("board.css"), "text/css; charset=utf-8");
    });
    server.Get("/qel.svg", [](const httplib::Request&, httplib::Response& response) {
        SendFile(response, FindEmbeddedFile("qel.svg"), "image/svg+xml");
    });
    server.Get(R"(/images/(\d{1,2})\.svg)", [](const httplib::Request& request, httplib::Response& response) {
        SendFile(response, StatusImage(std::stoi(request.matches[1].str())), "image/svg+xml");
    });

    int port = options.Port;
    if (port == 0)
        port = server.bind_to_any_port(options.Host);
    else if (!server.bind_to_port(options.Host, port))
        port = -1;
    if (port <= 0) {
        log << "error: cannot listen on " << options.Host << ":" << options.Port << ": " << std::strerror(errno)
            << '\n';
        return 1;
    }
    const bool ipv6 = options.Host.find(':') != std::string::npos;
    log << "qelctl serve: the board of " << options.DatabaseFolder << " is on http://"
        << (ipv6 ? "[" + options.Host + "]" : options.Host) << ":" << port << "/\n"
        << std::flush;
    std::thread listener([&] { server.listen_after_bind(); });

    auto nextTick = Clock::now() + options.Interval;
    while (!(stop && stop->load())) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (Clock::now() >= nextTick) {
            feed.Tick();
            nextTick = Clock::now() + options.Interval;
        }
    }
    feed.Stop();
    server.stop();
    listener.join();
    return 0;
}

} // namespace qel::cli
