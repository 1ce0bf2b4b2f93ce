#include "session/NowPlaying.h"

#include "catalogue/ChannelList.h"

void NowPlaying::choose(const QString& label, const ChannelInfo* record, bool keepPrevious) {
    if (!keepPrevious) {
        m_previousName = m_name;
        m_previousId = m_id;
    }
    m_chosenLabel = label;
    m_name = label;
    m_chosenRecord = record;
}

void NowPlaying::start(const ChannelInfo& channel) {
    m_address = channel.address().toString();
    m_id = channel.id().toString();
    emit started(channel);
}

void NowPlaying::keepForReturn() {
    if (!m_id.isEmpty() && !m_name.isEmpty()) {
        m_previousId = m_id;
        m_previousName = m_name;
    }
}
