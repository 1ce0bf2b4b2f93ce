#pragma once

#include <QByteArray>

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

class DatagramAnswers;
class FaultBook;
class SessionBook;

class QString;

// The service's UDP endpoint for the update check and the balance query. One thread waits on
// the socket with a short poll, so a stop request is noticed quickly; scripted delays are
// queued rather than slept, so one delayed answer does not hold up the others.
class DatagramEndpoint {
public:
    // Longest datagram read; the client's own requests are at most 512 bytes.
    static constexpr int kMaxDatagram = 4096;
    static constexpr int kGarbageBytes = 256;

    DatagramEndpoint(DatagramAnswers& answers, SessionBook& book, FaultBook& faults);
    ~DatagramEndpoint();

    DatagramEndpoint(const DatagramEndpoint&) = delete;
    DatagramEndpoint& operator=(const DatagramEndpoint&) = delete;

    // Binds ADDRESS:PORT (port 0: any free port), for this endpoint alone. On failure ERROR
    // says why.
    bool bind(const in_addr& address, int port, QString& error);
    int port() const { return m_port; }

    void start();
    void stop();

private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        sockaddr_in to{};
        QByteArray bytes;
    };

    void run();
    void handle(const QByteArray& datagram, const sockaddr_in& from);
    void send(const QByteArray& bytes, const sockaddr_in& to) const;
    void sendDue();
    int pollTimeoutMs() const;

    DatagramAnswers& m_answers;
    SessionBook& m_book;
    FaultBook& m_faults;
    int m_socket = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    // Touched only by the endpoint's thread.
    std::vector<Pending> m_pending;
};
