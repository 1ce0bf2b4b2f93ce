#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class ServiceState;

// Asks the service over UDP whether a newer client exists, from local port 35000, and keeps
// asking while the service is silent or answers nonsense. Ends after the first real answer, a
// negative answer, a socket failure, or stop(). run() blocks: it belongs on a worker thread.
class UpdateCheck {
public:
    inline static const QString kBalloonTitle = QStringLiteral(
        "VELOの新しいバージョンを発見します。最新バージョンへのアップグレードするために、ここに"
        "クリックしてください");
    static constexpr std::uint16_t kPort = 35000;

    struct Reactions {
        std::function<void(const QString& text2)> newVersion;  // show the balloon
        std::function<void()> mandatoryUpdate;                 // run the update prompt
    };

    struct Timing {
        int firstDelayMs = 1000;
        int replyWaitMs = 60000;
        int resendDelayMs = 1000;
    };

    enum class End { Answered, Declined, SocketFailed, Stopped };

    // STATE says where the service is; the check keeps it alive while it runs.
    explicit UpdateCheck(std::shared_ptr<const ServiceState> state);
    ~UpdateCheck();
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    void setTiming(const Timing& timing) { m_timing = timing; }
    End run(const Reactions& reactions);
    // Safe from any thread; run() returns soon after.
    void stop();
    // Number of queries sent by the last run.
    int queriesSent() const { return m_sent.load(); }

    // One round for a supporter: send the query, wait up to WAITMS and return the reply text
    // (empty when none came).
    static QString askOnce(const ServiceState& state, int waitMs);

    // The query datagram: the program's version, framed, with its closing zero byte.
    static QByteArray query();

private:
    // Waits up to MS; false when stopped meanwhile.
    bool pause(int ms);

    std::shared_ptr<const ServiceState> m_state;
    Timing m_timing;
    int m_stopFd = -1;
    std::atomic<bool> m_stopped{false};
    std::atomic<int> m_sent{0};
};
