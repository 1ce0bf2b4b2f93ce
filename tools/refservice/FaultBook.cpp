#include "FaultBook.h"

#include <utility>

std::optional<FaultBook::Action> FaultBook::actionNamed(const QString& name) {
    static const std::pair<const char*, Action> kNames[] = {
        {"reply", Action::Reply},       {"delay", Action::Delay},
        {"drop", Action::Drop},         {"garbage", Action::Garbage},
        {"truncate", Action::Truncate}, {"split1024", Action::Split1024},
        {"dribble", Action::Dribble},   {"silence", Action::Silence},
        {"pause", Action::Pause},       {"redirect", Action::Redirect},
    };
    for (const auto& [text, action] : kNames) {
        if (name == QLatin1String(text)) {
            return action;
        }
    }
    return std::nullopt;
}

void FaultBook::add(const QString& endpoint, const Script& script, int count) {
    if (count <= 0) {
        return;
    }
    const std::lock_guard lock(m_mutex);
    m_queues[endpoint].push_back(Entry{script, count});
}

std::optional<FaultBook::Script> FaultBook::take(const QString& endpoint) {
    const std::lock_guard lock(m_mutex);
    const auto found = m_queues.find(endpoint);
    if (found == m_queues.end() || found->empty()) {
        return std::nullopt;
    }
    Entry& head = found->front();
    Script script = head.script;
    if (--head.remaining <= 0) {
        found->pop_front();
    }
    if (found->empty()) {
        m_queues.erase(found);
    }
    return script;
}

void FaultBook::clear() {
    const std::lock_guard lock(m_mutex);
    m_queues.clear();
}
