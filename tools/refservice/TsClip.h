#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// A short MPEG-TS clip played as an endless live stream: the clip repeats, and every repetition
// has its timestamps moved on by the clip's length and its continuity counters carried on, so a
// player sees one unbroken stream. Any packet of that endless stream can be produced on its own,
// which lets each connection start wherever the channel is and lets HLS segments be cut from it.
class TsClip {
public:
    static constexpr int kPacketSize = 188;
    static constexpr std::int64_t kClockHz = 90000;

    // A place where a player can start: a video key frame, with the tables in front of it.
    struct JoinPoint {
        std::size_t packet = 0;
        std::int64_t time = 0;  // clip time in 90 kHz ticks, from the clip's first clock
    };

    // Reads BYTES (whole packets, with a video key frame near the start). Nothing, with ERROR
    // set, when they are no usable clip.
    static std::optional<TsClip> parse(const QByteArray& bytes, QString& error);

    std::size_t packetCount() const { return m_times.size(); }
    // The length of one repetition, in 90 kHz ticks.
    std::int64_t period() const { return m_period; }
    const std::vector<JoinPoint>& joinPoints() const { return m_joins; }

    // Stream time of packet INDEX of the endless stream, in 90 kHz ticks from its start.
    std::int64_t timeOf(std::uint64_t index) const;

    // The last join point at or before stream time TIME, as an index into the endless stream.
    std::uint64_t joinAtOrBefore(std::int64_t time) const;

    // Appends packet INDEX of the endless stream to OUT.
    void appendPacket(std::uint64_t index, QByteArray& out) const;

private:
    struct Pid {
        std::uint16_t pid = 0;
        int payloadPackets = 0;  // per repetition
    };

    int pidSlot(std::uint16_t pid) const;

    QByteArray m_bytes;
    std::vector<std::int64_t> m_times;     // per packet, clip time in 90 kHz ticks
    std::vector<std::uint8_t> m_ccBefore;  // per packet: payload packets of its PID before it
    std::vector<std::int8_t> m_slot;       // per packet: its PID's slot in m_pids
    std::vector<Pid> m_pids;
    std::vector<JoinPoint> m_joins;
    std::int64_t m_period = 0;
};
