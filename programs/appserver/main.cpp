// The application server stand-in as a network server:
//   appserver [--db PATH] [--listen ADDRESS] [--port N]
// It serves the database file PATH (created with the demo rows when new;
// ":memory:" for a throw-away one) to every client that connects.
#include <unistd.h>

#include <csignal>
#include <cstring>
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
        << "usage: appserver [--db PATH] [--listen ADDRESS] [--port N]\n"
        << "  --db      database file, created with demo data when new (default appserver.db)\n"
        << "  --listen  address to listen on (default 127.0.0.1, this machine only)\n"
        << "  --port    TCP port (default 211; 0 picks a free one)\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string db = "appserver.db", address = "127.0.0.1";
    int port = 211;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--db") {
            const char* v = value();
            if (!v) return Usage("--db needs a path");
            db = v;
        } else if (a == "--listen") {
            const char* v = value();
            if (!v) return Usage("--listen needs an address");
            address = v;
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
        standin::TcpServer tcp(server, address, port);
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
