#pragma once

#include <QObject>
#include <QString>

class ChannelInfo;

// The one owner of what plays: the channel the user chose in the list, the one the player is
// told to play, and the one before it (for the return key). Windows ask it to change and listen
// to it; none of them keeps a copy. GUI thread only.
class NowPlaying : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The list's choice, before it is known to play: its label (which may be shortened or
    // marked) and the record behind it. The one playing so far becomes the previous one, unless
    // the choice came from the menu's play entry, which keeps the previous channel as it was.
    void choose(const QString& label, const ChannelInfo* record, bool keepPrevious);
    // The list's records were replaced: a choice made before no longer points anywhere.
    void forgetChosenRecord() { m_chosenRecord = nullptr; }
    // The player is to play CHANNEL now, under the label last chosen.
    void start(const ChannelInfo& channel);
    // At a close from the caption, the channel playing is kept as the one to return to.
    void keepForReturn();

    const QString& chosenLabel() const { return m_chosenLabel; }
    const ChannelInfo* chosenRecord() const { return m_chosenRecord; }
    const QString& name() const { return m_name; }
    const QString& id() const { return m_id; }
    const QString& address() const { return m_address; }
    const QString& previousName() const { return m_previousName; }
    const QString& previousId() const { return m_previousId; }

signals:
    // A channel was started: CHANNEL is the list's record, valid while the signal is delivered.
    void started(const ChannelInfo& channel);

private:
    QString m_chosenLabel;
    const ChannelInfo* m_chosenRecord = nullptr;
    QString m_name;
    QString m_id;
    QString m_address;
    QString m_previousName;
    QString m_previousId;
};
