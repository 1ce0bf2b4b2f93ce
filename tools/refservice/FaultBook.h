#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <deque>
#include <mutex>
#include <optional>

// Misbehaviour that tests ask for: per endpoint, a queue of scripts, each applied to the next
// so many requests to that endpoint in the order the scripts were added. Thread-safe.
class FaultBook {
public:
    // For the live streams: Drop cuts a stream after delayMs, Truncate cuts it then inside a
    // packet, Silence stalls it then (socket open, for holdMs), Pause holds it for holdMs and then
    // goes on where the channel is, Garbage sends random bytes instead for holdMs and then cuts.
    // Redirect answers with status (302 unless given) and the payload as the Location.
    enum class Action {
        Reply,
        Delay,
        Drop,
        Garbage,
        Truncate,
        Split1024,
        Dribble,
        Silence,
        Pause,
        Redirect
    };

    struct Script {
        Action action = Action::Reply;
        int status = 200;
        int delayMs = 0;
        int holdMs = 0;
        QByteArray payload;
    };

    static std::optional<Action> actionNamed(const QString& name);

    // Queues SCRIPT for the next COUNT requests to ENDPOINT, after the scripts already queued.
    void add(const QString& endpoint, const Script& script, int count);

    // The script for the request to ENDPOINT that has just arrived, if any; it is used up.
    std::optional<Script> take(const QString& endpoint);

    void clear();

private:
    struct Entry {
        Script script;
        int remaining = 0;
    };

    std::mutex m_mutex;
    QHash<QString, std::deque<Entry>> m_queues;
};
