// The advertisement archives: one unpacked by hand, or both fetched and unpacked.
#include "CliCommands.h"

#include "ads/AdArchive.h"
#include "ads/AdDownload.h"
#include "session/ConfigFile.h"

#include <QDir>
#include <QFileInfo>

int CliCommands::unzip(const Call& call) {
    const QString& archive = call.args[0];
    // A missing archive is one that cannot be opened, not a mistake in the command line.
    if (!QFileInfo(archive).isFile()) {
        return failed(QStringLiteral("cannot open %1: no such file").arg(archive));
    }
    const bool opened = AdArchive::UnpackArchive(
        archive, QDir(call.args[1]).absolutePath(),
        [this](const QString& name, AdArchive::Error outcome) {
            m_out << name << '\t' << AdArchive::describe(outcome) << Qt::endl;
        });
    if (!opened) {
        AdArchive::Error why = AdArchive::Error::Open;
        AdArchive::OpenArchive(archive, &why);
        return failed(QStringLiteral("cannot open %1: %2").arg(archive, AdArchive::describe(why)));
    }
    return kOk;
}

int CliCommands::ads(const Call& call) {
    const QString folder = dataFolder();
    std::vector<AdDownload::Fetch> fetched;
    AdDownload::FetchAll(folder, config().adServer(), call.option.value_or(QString()), &fetched);
    bool any = false;
    for (const AdDownload::Fetch& fetch : fetched) {
        m_out << "address: "
              << (fetch.address.isEmpty() ? QStringLiteral("(unusable server)") : fetch.address)
              << Qt::endl;
        m_out << "status: " << fetch.status << Qt::endl;
        if (!fetch.stored) {
            m_out << "archive: not stored, the previous files stay" << Qt::endl;
            continue;
        }
        any = true;
        m_out << "archive: stored" << (fetch.unpacked ? "" : ", but it cannot be opened")
              << Qt::endl;
        for (const auto& [name, outcome] : fetch.entries) {
            m_out << "  " << name << '\t' << AdArchive::describe(outcome) << Qt::endl;
        }
    }
    return any ? kOk : failed(QStringLiteral("no advertisement archive arrived"));
}
