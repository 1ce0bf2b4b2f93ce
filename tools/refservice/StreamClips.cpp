#include "StreamClips.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

extern char** environ;

namespace {

// Bumped whenever the pictures change, so an old cache is not used.
constexpr const char* kClipVersion = "v3";
constexpr const char* kDuration = "4.8";  // a whole number of video and of audio frames

// Test pictures that move by themselves; the channel's hue and clock make each one its own.
constexpr const char* kSources[] = {"testsrc2", "testsrc", "gradients", "mandelbrot"};

QString filterEscaped(QString path) {
    return path.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char(':'), QStringLiteral("\\:"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
}

// Runs ARGS (ffmpeg first) and waits; its output goes nowhere unless it fails.
bool run(const std::vector<std::string>& args, const QString& logPath, QString& error) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray log = QFile::encodeName(logPath);
    posix_spawn_file_actions_addopen(&actions, 1, log.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error =
            QStringLiteral("cannot run %1 (is it installed?)").arg(QString::fromStdString(args[0]));
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        QFile output(logPath);
        output.open(QIODevice::ReadOnly);
        error = QStringLiteral("ffmpeg failed: %1")
                    .arg(QString::fromUtf8(output.readAll().right(600)).trimmed());
        return false;
    }
    return true;
}

}  // namespace

QString StreamClips::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/velo-refservice/clips");
}

StreamClips::StreamClips(QString folder, std::vector<Channel> channels)
    : m_folder(std::move(folder)), m_channels(std::move(channels)) {}

bool StreamClips::knows(int channel) const {
    return std::any_of(m_channels.begin(), m_channels.end(),
                       [channel](const Channel& c) { return c.id == channel; });
}

QString StreamClips::pathOf(int channel) const {
    return QStringLiteral("%1/%2-%3.ts")
        .arg(m_folder)
        .arg(channel)
        .arg(QLatin1String(kClipVersion));
}

std::shared_ptr<const TsClip> StreamClips::clip(int channel, QString& error) {
    const std::lock_guard lock(m_mutex);
    if (const auto found = m_loaded.constFind(channel); found != m_loaded.constEnd()) {
        return *found;
    }
    const auto entry = std::find_if(m_channels.begin(), m_channels.end(),
                                    [channel](const Channel& c) { return c.id == channel; });
    if (entry == m_channels.end()) {
        error = QStringLiteral("no channel %1").arg(channel);
        return nullptr;
    }
    if (!QFile::exists(pathOf(channel)) && !make(*entry, error)) {
        return nullptr;
    }
    QFile file(pathOf(channel));
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot read").arg(file.fileName());
        return nullptr;
    }
    auto parsed = TsClip::parse(file.readAll(), error);
    if (!parsed) {
        error = QStringLiteral("%1: %2").arg(file.fileName(), error);
        return nullptr;
    }
    auto shared = std::make_shared<const TsClip>(std::move(*parsed));
    m_loaded.insert(channel, shared);
    return shared;
}

bool StreamClips::makeAll(QString& error) {
    for (const Channel& channel : m_channels) {
        const std::lock_guard lock(m_mutex);
        if (!QFile::exists(pathOf(channel.id)) && !make(channel, error)) {
            return false;
        }
    }
    return true;
}

bool StreamClips::make(const Channel& channel, QString& error) const {
    if (!QDir().mkpath(m_folder)) {
        error = QStringLiteral("cannot create %1").arg(m_folder);
        return false;
    }
    // The name goes to the drawing filter through a file: no escaping of what a name holds.
    // Services started at once on an empty cache may make the same clip side by side: each
    // works on files of its own and the finished clip replaces whatever is there in one step.
    const QString target = pathOf(channel.id);
    const QString work = target + QStringLiteral(".%1").arg(::getpid());
    const QString nameFile = work + QStringLiteral(".name");
    {
        QSaveFile name(nameFile);
        if (!name.open(QIODevice::WriteOnly) ||
            name.write(QStringLiteral("%1  %2").arg(channel.id).arg(channel.name).toUtf8()) < 0 ||
            !name.commit()) {
            error = QStringLiteral("cannot write %1").arg(nameFile);
            return false;
        }
    }
    const char* source = kSources[static_cast<std::size_t>(channel.id) % std::size(kSources)];
    const int hue = (channel.id * 47) % 360;
    const QString font = QStringLiteral("font='Noto Sans CJK JP'");
    const QString video =
        QStringLiteral(
            "%1=size=640x360:rate=25,format=yuv420p,hue=h=%2,"
            "drawtext=textfile='%3':%4:fontsize=34:fontcolor=white:box=1:boxcolor=black@0.6:"
            "boxborderw=8:x=(w-tw)/2:y=36,"
            "drawtext=text='%{pts\\:hms}':%4:fontsize=30:fontcolor=yellow:box=1:"
            "boxcolor=black@0.6:boxborderw=6:x=(w-tw)/2:y=h-72")
            .arg(QLatin1String(source))
            .arg(hue)
            .arg(filterEscaped(nameFile), font);
    const QString audio = QStringLiteral("sine=frequency=%1:sample_rate=48000,volume=0.15")
                              .arg(330 + channel.id % 7 * 55);
    const QString partial = work + QStringLiteral(".part");
    const std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
        video.toStdString(), "-f", "lavfi", "-i", audio.toStdString(), "-t", kDuration, "-map",
        "0:v", "-map", "1:a", "-c:v", "libx264", "-preset", "veryfast", "-profile:v", "main",
        "-pix_fmt", "yuv420p", "-g", "25", "-keyint_min", "25", "-sc_threshold", "0", "-b:v",
        "700k", "-c:a", "aac", "-b:a", "64k", "-ac", "2",
        // Tables in front of every frame: any key frame is a place to start.
        "-f", "mpegts", "-mpegts_flags", "+pat_pmt_at_frames",
        QFile::encodeName(partial).toStdString()};
    const bool made = run(args, work + QStringLiteral(".log"), error);
    QFile::remove(nameFile);
    if (!made) {
        QFile::remove(partial);
        return false;
    }
    QFile::remove(work + QStringLiteral(".log"));
    if (std::rename(QFile::encodeName(partial).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        error = QStringLiteral("cannot move %1 into place").arg(partial);
        return false;
    }
    return true;
}
