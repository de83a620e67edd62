// The application server stand-in as a network server:
//   appserver [--db PATH] [--listen ADDRESS] [--port N] [limits, see --help]
// It serves the database file PATH (created with the demo rows when new;
// ":memory:" for a throw-away one) to every client that connects.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <iostream>
#include <string>

#include "standins/appserver/tcp_transport.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) {
    stopRequested = 1;
}

int Usage(const char* why) {
    std::cerr
        << "appserver: " << why << "\n"
        << "usage: appserver [--db PATH] [--listen ADDRESS] [--port N] [limits]\n"
        << "  --db      database file, created with demo data when new (default appserver.db)\n"
        << "  --listen  address to listen on (default 127.0.0.1, this machine only)\n"
        << "  --port    TCP port (default 211; 0 picks a free one)\n"
        << "  --signoff-pages DIR  private folder (0700) of the sign-off opinion pages\n"
        << "            (default: beside the database file, PATH-signoff)\n"
        << "limits (defaults in brackets):\n"
        << "  --max-connections N         connections in all [256]\n"
        << "  --max-per-address N         connections from one client address [48]\n"
        << "  --max-frame-kb N            largest request of a signed-on client [98304,\n"
        << "                              twice a new receipt of 100,000 lines]; before\n"
        << "                              sign-on a request is at most 64 KB\n"
        << "  --signon-seconds N          a connection must sign on within [30]\n"
        << "  --idle-minutes N            a signed-on connection silent this long ends [30]\n"
        << "  --frame-seconds N           a request begun must be whole, a reply taken [60]\n"
        << "  --signon-free-failures N    failed sign-ons from an address or for a user\n"
        << "                              before each further try waits [5]\n"
        << "  --signon-delay-ms N         the first wait; it doubles up to 30 s [500]\n"
        << "  --signon-lock-after N       failures that lock the address or user [20]\n"
        << "  --signon-lock-minutes N     how long a lock lasts (logged with its reason) [15]\n"
        << "  --write-ms N                time client SQL (TransactionSQL) may write [2000]\n"
        << "  --busy-seconds N            time a save waits for another write to end [30]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string db = "appserver.db", address = "127.0.0.1", signOffPages;
    int port = 211;
    standin::TcpLimits limits;
    long writeMs = 2000, busySeconds = 30;
    using std::chrono::milliseconds;
    // Whole-number options, each with its range and where it goes.
    struct Number {
        const char* name;
        long low, high;
        std::function<void(long)> set;
    };
    const Number numbers[] = {
        {"--max-connections", 1, 100000, [&](long v) { limits.maxConnections = (size_t)v; }},
        {"--max-per-address", 1, 100000,
         [&](long v) { limits.maxConnectionsPerAddress = (size_t)v; }},
        {"--max-frame-kb", 64, 1 << 20,
         [&](long v) { limits.maxFrameSignedOn = (uint32_t)v << 10; }},
        {"--signon-seconds", 1, 86400, [&](long v) { limits.signOnTime = milliseconds(v * 1000); }},
        {"--idle-minutes", 1, 10080, [&](long v) { limits.idleTime = milliseconds(v * 60000); }},
        {"--frame-seconds", 1, 86400, [&](long v) { limits.frameTime = milliseconds(v * 1000); }},
        {"--signon-free-failures", 0, 1000, [&](long v) { limits.signOn.freeFailures = (int)v; }},
        {"--signon-delay-ms", 1, 60000,
         [&](long v) { limits.signOn.firstDelay = milliseconds(v); }},
        {"--signon-lock-after", 1, 100000, [&](long v) { limits.signOn.lockAfter = (int)v; }},
        {"--signon-lock-minutes", 1, 10080,
         [&](long v) { limits.signOn.lockTime = milliseconds(v * 60000); }},
        {"--write-ms", 1, 600000, [&](long v) { writeMs = v; }},
        {"--busy-seconds", 1, 3600, [&](long v) { busySeconds = v; }},
    };
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const Number* number = nullptr;
        for (auto& n : numbers)
            if (a == n.name) number = &n;
        if (number) {
            const char* v = value();
            char* end = nullptr;
            long n = v ? std::strtol(v, &end, 10) : -1;
            if (!v || !*v || *end || n < number->low || n > number->high)
                return Usage((a + " needs a number from " + std::to_string(number->low) + " to " +
                              std::to_string(number->high))
                                 .c_str());
            number->set(n);
        } else if (a == "--db") {
            const char* v = value();
            if (!v) return Usage("--db needs a path");
            db = v;
        } else if (a == "--listen") {
            const char* v = value();
            if (!v) return Usage("--listen needs an address");
            address = v;
        } else if (a == "--signoff-pages") {
            const char* v = value();
            if (!v || !*v) return Usage("--signoff-pages needs a folder");
            signOffPages = v;
        } else if (a == "--port") {
            const char* v = value();
            char* end = nullptr;
            long p = v ? std::strtol(v, &end, 10) : -1;
            if (!v || *end || p < 0 || p > 65535)
                return Usage("--port needs a number from 0 to 65535");
            port = (int)p;
        } else if (a == "--help" || a == "-h") {
            Usage("serves the application server over TCP");
            return 0;
        } else {
            return Usage(("unknown argument " + a).c_str());
        }
    }
    try {
        auto server = standin::AppServer::Open(db);
        server->SetWriteTimeLimit(milliseconds(writeMs));
        server->SetBusyTimeout(milliseconds(busySeconds * 1000));
        if (!signOffPages.empty()) server->SetSignOffFolder(signOffPages);
        standin::TcpServer tcp(server, address, port, limits);
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        tcp.Start();
        std::cout << "appserver: serving " << db << " on " << address << ":" << tcp.Port()
                  << std::endl;
        while (!stopRequested) ::usleep(100 * 1000);
        tcp.Stop();
        std::cout << "appserver: stopped" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "appserver: " << e.what() << std::endl;
        return 1;
    }
    return 0;
}
