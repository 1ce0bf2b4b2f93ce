// The channel list: downloaded as the client does at sign-in, or searched as its search box does.
#include "CliCommands.h"

#include "catalogue/ChannelList.h"
#include "catalogue/ChannelSearch.h"
#include "service/ChannelListDownload.h"
#include "service/ServiceState.h"
#include "service/TicketRequest.h"
#include "session/ConfigFile.h"

#include <QDir>
#include <QFileInfo>

int CliCommands::channels(const Call&) {
    const QString folder = dataFolder();
    const ConfigFile config = this->config();
    ServiceState state;
    // As the client does: the list is asked for whatever the ticket request said.
    const bool granted = TicketRequest::RequestTicket(config, state);
    printState(state);
    m_out << "ticket: " << (granted ? "granted" : "not granted") << Qt::endl;
    if (!ChannelListDownload::DownloadChannelList(config, state, folder)) {
        return failed(QStringLiteral("channel list download failed"));
    }
    const QString path = ChannelListDownload::filePath(folder);
    m_out << "saved: " << path << Qt::endl;
    ChannelList lists;
    if (LoadChannelFile(path, lists) == 0) {
        return failed(QStringLiteral("the downloaded channel list holds no group set"));
    }
    for (const auto& set : lists.groupSets) {
        m_out << "[" << set->index << "] " << set->name << Qt::endl;
        for (const auto& group : lists.groups) {
            if (group->setIndex != set->index) {
                continue;
            }
            m_out << "  [" << group->groupIndex << "] " << group->name << Qt::endl;
            if (!group->hasChannels) {
                m_out << "    " << kEmptyGroupLabel << Qt::endl;
                continue;
            }
            for (const auto& channel : lists.channels) {
                if (channel->groupIndex == group->groupIndex) {
                    m_out << "    " << channel->id() << "  " << ChannelLabel(*channel) << "  "
                          << channel->address() << Qt::endl;
                }
            }
        }
    }
    return kOk;
}

int CliCommands::search(const Call& call) {
    const QString list = call.option.value_or(ChannelListDownload::filePath(dataFolder()));
    const QString& query = call.args[0];
    if (!QFileInfo(list).isFile()) {
        return badInput(QStringLiteral("no channel list at %1").arg(list));
    }
    ChannelList lists;
    if (LoadChannelFile(list, lists) == 0) {
        return failed(QStringLiteral("%1 holds no channel list").arg(list));
    }
    // As the client finds, readings included.
    const ChannelSearch search(lists, ChannelSearch::Readings::With);
    const std::vector<const ChannelInfo*> found = search.FindChannels(query);
    for (const ChannelInfo* channel : found) {
        m_out << channel->id() << '\t' << channel->name() << Qt::endl;
    }
    if (found.empty()) {
        return failed(QStringLiteral("no channel matches \"%1\" (searched as \"%2\")")
                          .arg(query, ChannelSearch::Fold(query)));
    }
    return kOk;
}
