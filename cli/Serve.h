#pragma once

#include "platform/Platform.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>

// `qelctl serve`: the board, read-only, over HTTP for browsers on the office
// network.
namespace qel::cli {

inline constexpr const char* DefaultListenAddress = "127.0.0.1:8080";
// Event streams open at once; one more is refused with 503.
inline constexpr int MaxEventStreams = 64;
// A request whose header lines or body are longer is refused (431, 413).
inline constexpr size_t MaxRequestBytes = 8192;

struct TServeOptions {
    std::string Host = "127.0.0.1";
    int Port = 8080; // 0: any free port (the log says which)
    // Only this department's users on every route; the request chooses when empty.
    std::optional<std::string> Department;
    // The database folder, ending with the separator.
    std::string DatabaseFolder;
    // Folder of the engine library; empty: beside the program, then the search.
    std::string EngineFolder;
    // The stamp check of the users file.
    std::chrono::milliseconds Interval{5000};
};

// "ADDRESS:PORT", the address an IPv4 address or a name, or "[IPv6]:PORT".
// False when the text has no such form or the port is outside 0..65535.
bool ParseListenAddress(const std::string& text, std::string* host, int* port);

// Serves the board until *stop becomes true (from a signal handler). Every
// Interval one stamp check of the users file for all clients; the dataset is
// read once per change of the stamp, whatever the number of clients, and
// nothing is ever written to the database folder. One line per request on
// `log`. Returns 0 after a stop, 1 when the address cannot be listened on.
int RunServe(const TServeOptions& options, TPlatform& platform, std::ostream& log, const std::atomic<bool>* stop);

} // namespace qel::cli
