#pragma once

#include <QByteArray>
#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

// What the client remembers for the user between runs: where its window was, which groups were
// closed, the channel last played and, per service ID, the favourite and recently watched
// channels. It lives in the per-user state file (beside the player's own settings), never in the
// program folder, which the user may not be allowed to write.
//
// Everything is read once and written as a whole: a state file that cannot be read, or that
// holds nonsense, gives the defaults and is replaced at the next save; the save keeps the
// sections that are not its own as the file holds them then (the player's settings), and
// replaces the file atomically, so a crash leaves the old state or the new.
class UserState {
public:
    static constexpr int kRecentCount = 10;
    // The state file in the application's per-user configuration folder.
    static QString defaultPath();

    explicit UserState(QString path = defaultPath());

    // Reads the state file; false (and every value at its default) when there is none or it
    // cannot be read.
    bool load();
    // Writes every value; false when the file could not be stored.
    bool save();
    const QString& path() const { return m_path; }

    // The window as the user left it; an empty geometry means none was saved.
    QRect geometry;
    bool maximised = false;
    bool sidePanelShown = true;
    // The group sets and groups the user closed, as CollapsedKey makes them.
    QStringList collapsedGroups;
    QString lastChannelId;
    bool playLastOnStart = false;

    // The favourites in the order they were added, and the recent channels newest first, by
    // channel id.
    QStringList favourites(const QString& serviceId) const;
    QStringList recents(const QString& serviceId) const;
    // Adds ID to the favourites or takes it out; true when it is a favourite afterwards.
    bool toggleFavourite(const QString& serviceId, const QString& id);
    // ID becomes the newest recent channel; the oldest beyond kRecentCount are forgotten.
    void addRecent(const QString& serviceId, const QString& id);

    // How a group set ("set") or a group in it is named in collapsedGroups.
    static QString CollapsedKey(const QString& setName, const QString& groupName = {});

private:
    // The file's text; none when it is missing, unreadable or nonsense.
    std::optional<QByteArray> readFile() const;
    QStringList listOf(const QHash<QString, QStringList>& changed, const QString& section,
                       const QString& serviceId) const;

    QString m_path;
    QByteArray m_content;  // the file as last read or written: the lists this run left alone
    QHash<QString, QStringList> m_favourites;  // by service ID, once changed in this run
    QHash<QString, QStringList> m_recents;
};
