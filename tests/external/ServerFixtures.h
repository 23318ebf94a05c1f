#pragma once

// The servers the external tests talk to, started by CTest fixtures before
// these tests and stopped after them: a MariaDB server and the Channel
// Access test server. Each fixture writes a state file (key=value lines)
// whose path CTest hands over in an environment variable. A missing or
// broken state file fails the test: a server that did not start is a
// failure, never a skip.
//
// Also a TCP relay that cuts a connection partway through a reply, and a
// listening socket that never answers.

#include "io/MySQLQuery.h"
#include "model/VexaDocument.h"

#include <QFile>
#include <QHash>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

namespace ServerFixtures {

// A document that already holds one buffer (comment "kept"), to show that an
// import appends and that a failed one leaves it alone.
std::unique_ptr<VexaDocument> documentWithOneBuffer();

// The key=value lines of the state file of that name. Nothing, with the
// reason, when the folder or the file is missing.
std::optional<QHash<QString, QString>> readState(const char* file, QString* why);

struct MariaDB {
    int port = 0;
    QString user, password, database;
    // A query for this server, logged in as the test account.
    MySQLQuery query(const QString& sql) const;
};
// From mariadb.state.
std::optional<MariaDB> mariadb(QString* why);

struct ChannelAccess {
    int serverPort = 0;
    int repeaterPort = 0;
    // "127.0.0.1:<server port>": the address list that finds the server.
    QString addressList() const;
};
// From ca.state.
std::optional<ChannelAccess> channelAccess(QString* why);

// A socket on 127.0.0.1 that takes connections into its backlog and never
// answers them: a server that is there but does not speak.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A free TCP port on 127.0.0.1 with nothing listening on it (for as long as
// nobody else takes it).
int closedPort();

// Relays one MySQL client connection to the server. Once the client has sent
// its first query, only `replyBytes` further bytes of the server's reply get
// through; then both connections are closed, as if the server had died in
// the middle of the result.
class CuttingRelay {
public:
    CuttingRelay(int serverPort, int replyBytes);
    ~CuttingRelay();
    CuttingRelay(const CuttingRelay&) = delete;
    CuttingRelay& operator=(const CuttingRelay&) = delete;
    int port() const { return port_; }
    // Whether the reply was cut (the query came and the limit was reached).
    bool cut() const { return cut_.load(); }

private:
    void run(int serverPort, int replyBytes);
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> cut_{false};
    std::thread thread_;
};

} // namespace ServerFixtures
