#include "TsClip.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kSync = 0x47;
constexpr std::int64_t kTimestampMask = (std::int64_t{1} << 33) - 1;

std::uint16_t pidOf(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(((p[1] & 0x1F) << 8) | p[2]);
}
bool hasPayload(const std::uint8_t* p) {
    return (p[3] & 0x10) != 0;
}
bool hasAdaptation(const std::uint8_t* p) {
    return (p[3] & 0x20) != 0;
}
bool unitStart(const std::uint8_t* p) {
    return (p[1] & 0x40) != 0;
}
// Offset of the payload within the packet, or 0 when there is none.
int payloadOffset(const std::uint8_t* p) {
    if (!hasPayload(p)) {
        return 0;
    }
    const int offset = hasAdaptation(p) ? 5 + p[4] : 4;
    return offset < TsClip::kPacketSize ? offset : 0;
}
bool hasPcr(const std::uint8_t* p) {
    return hasAdaptation(p) && p[4] >= 7 && (p[5] & 0x10) != 0;
}
bool randomAccess(const std::uint8_t* p) {
    return hasAdaptation(p) && p[4] >= 1 && (p[5] & 0x40) != 0;
}
std::int64_t readPcrBase(const std::uint8_t* p) {
    const std::uint8_t* f = p + 6;
    return (std::int64_t{f[0]} << 25) | (std::int64_t{f[1]} << 17) | (std::int64_t{f[2]} << 9) |
           (std::int64_t{f[3]} << 1) | (f[4] >> 7);
}
void writePcrBase(std::uint8_t* p, std::int64_t base) {
    std::uint8_t* f = p + 6;
    f[0] = static_cast<std::uint8_t>(base >> 25);
    f[1] = static_cast<std::uint8_t>(base >> 17);
    f[2] = static_cast<std::uint8_t>(base >> 9);
    f[3] = static_cast<std::uint8_t>(base >> 1);
    f[4] = static_cast<std::uint8_t>((f[4] & 0x7F) | ((base & 1) << 7));
}
std::int64_t readTimestamp(const std::uint8_t* t) {
    return (std::int64_t{(t[0] >> 1) & 0x07} << 30) | (std::int64_t{t[1]} << 22) |
           (std::int64_t{t[2] >> 1} << 15) | (std::int64_t{t[3]} << 7) | (t[4] >> 1);
}
void writeTimestamp(std::uint8_t* t, std::int64_t value) {
    // The prefix bits of the first byte and the marker bits stay as they were.
    t[0] = static_cast<std::uint8_t>((t[0] & 0xF1) | (((value >> 30) & 0x07) << 1));
    t[1] = static_cast<std::uint8_t>(value >> 22);
    t[2] = static_cast<std::uint8_t>((((value >> 15) & 0x7F) << 1) | 1);
    t[3] = static_cast<std::uint8_t>(value >> 7);
    t[4] = static_cast<std::uint8_t>(((value & 0x7F) << 1) | 1);
}
// The PES header of a packet that starts one, as (offset of its flags, flags); nothing else.
std::optional<int> pesTimestamps(const std::uint8_t* p) {
    const int at = payloadOffset(p);
    if (at == 0 || !unitStart(p) || at + 14 > TsClip::kPacketSize) {
        return std::nullopt;
    }
    const std::uint8_t* pes = p + at;
    if (pes[0] != 0 || pes[1] != 0 || pes[2] != 1) {
        return std::nullopt;
    }
    const std::uint8_t stream = pes[3];
    const bool media = (stream >= 0xC0 && stream <= 0xEF) || stream == 0xBD;
    if (!media) {
        return std::nullopt;
    }
    return at;
}
// A packet of the program tables (PAT or PMT).
bool isTable(const std::uint8_t* p) {
    if (pidOf(p) == 0) {
        return true;
    }
    const int at = payloadOffset(p);
    if (at == 0 || !unitStart(p)) {
        return false;
    }
    const int table = at + 1 + p[at];
    return table < TsClip::kPacketSize && p[table] == 0x02;
}
bool isVideoStart(const std::uint8_t* p) {
    const auto at = pesTimestamps(p);
    return at && p[*at + 3] >= 0xE0 && p[*at + 3] <= 0xEF;
}

}  // namespace

std::optional<TsClip> TsClip::parse(const QByteArray& bytes, QString& error) {
    if (bytes.isEmpty() || bytes.size() % kPacketSize != 0) {
        error = QStringLiteral("the clip is not a whole number of transport packets");
        return std::nullopt;
    }
    TsClip clip;
    clip.m_bytes = bytes;
    const auto* data = reinterpret_cast<const std::uint8_t*>(clip.m_bytes.constData());
    const std::size_t count = static_cast<std::size_t>(bytes.size() / kPacketSize);
    clip.m_times.resize(count);
    clip.m_ccBefore.resize(count);
    clip.m_slot.resize(count);

    std::optional<std::int64_t> firstPcr;
    std::int64_t lastPcr = 0;
    std::optional<std::int64_t> firstVideoPts;
    std::int64_t lastVideoPts = 0;
    std::int64_t frameTicks = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = data + i * kPacketSize;
        if (p[0] != kSync) {
            error = QStringLiteral("packet %1 has no sync byte").arg(i);
            return std::nullopt;
        }
        const std::uint16_t pid = pidOf(p);
        int slot = clip.pidSlot(pid);
        if (slot < 0) {
            if (clip.m_pids.size() >= 16) {
                error = QStringLiteral("the clip has too many streams");
                return std::nullopt;
            }
            clip.m_pids.push_back(Pid{pid, 0});
            slot = static_cast<int>(clip.m_pids.size() - 1);
        }
        clip.m_slot[i] = static_cast<std::int8_t>(slot);
        clip.m_ccBefore[i] = static_cast<std::uint8_t>(clip.m_pids[slot].payloadPackets & 0x0F);
        if (hasPayload(p)) {
            ++clip.m_pids[slot].payloadPackets;
        }
        if (hasPcr(p)) {
            const std::int64_t pcr = readPcrBase(p);
            if (!firstPcr) {
                firstPcr = pcr;
            }
            lastPcr = pcr - *firstPcr;
        }
        clip.m_times[i] = lastPcr;
        if (isVideoStart(p)) {
            const int at = *pesTimestamps(p);
            if ((p[at + 7] & 0x80) != 0) {
                const std::int64_t pts = readTimestamp(p + at + 9);
                if (firstVideoPts && frameTicks == 0 && pts > *firstVideoPts) {
                    frameTicks = pts - *firstVideoPts;
                }
                if (!firstVideoPts) {
                    firstVideoPts = pts;
                }
                lastVideoPts = std::max(lastVideoPts, pts);
            }
            if (randomAccess(p)) {
                // The tables go out in front of each frame; a player starts with them.
                std::size_t start = i;
                while (start > 0 && i - start < 4 && isTable(data + (start - 1) * kPacketSize)) {
                    --start;
                }
                clip.m_joins.push_back(JoinPoint{start, 0});
            }
        }
    }
    if (!firstVideoPts || frameTicks <= 0 || clip.m_joins.empty()) {
        error = QStringLiteral("the clip has no video with key frames");
        return std::nullopt;
    }
    // One repetition lasts from the first frame to the end of the last one.
    clip.m_period = lastVideoPts - *firstVideoPts + frameTicks;
    for (JoinPoint& join : clip.m_joins) {
        join.time = clip.m_times[join.packet];
    }
    clip.m_joins.front().packet = 0;
    clip.m_joins.front().time = 0;
    return clip;
}

int TsClip::pidSlot(std::uint16_t pid) const {
    for (std::size_t i = 0; i < m_pids.size(); ++i) {
        if (m_pids[i].pid == pid) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::int64_t TsClip::timeOf(std::uint64_t index) const {
    const std::uint64_t n = m_times.size();
    return static_cast<std::int64_t>(index / n) * m_period + m_times[index % n];
}

std::uint64_t TsClip::joinAtOrBefore(std::int64_t time) const {
    const std::int64_t loop = std::max<std::int64_t>(time, 0) / m_period;
    const std::int64_t within = std::max<std::int64_t>(time, 0) % m_period;
    std::size_t packet = m_joins.front().packet;
    for (const JoinPoint& join : m_joins) {
        if (join.time <= within) {
            packet = join.packet;
        }
    }
    return static_cast<std::uint64_t>(loop) * m_times.size() + packet;
}

void TsClip::appendPacket(std::uint64_t index, QByteArray& out) const {
    const std::uint64_t n = m_times.size();
    const std::size_t i = static_cast<std::size_t>(index % n);
    const std::uint64_t loop = index / n;
    const qsizetype at = out.size();
    out.append(m_bytes.constData() + i * kPacketSize, kPacketSize);
    auto* p = reinterpret_cast<std::uint8_t*>(out.data() + at);

    const Pid& pid = m_pids[static_cast<std::size_t>(m_slot[i])];
    const std::uint64_t cc = loop * static_cast<std::uint64_t>(pid.payloadPackets) + m_ccBefore[i];
    p[3] = static_cast<std::uint8_t>((p[3] & 0xF0) | (cc & 0x0F));
    if (loop == 0) {
        return;
    }
    const std::int64_t shift = static_cast<std::int64_t>(loop) * m_period;
    if (hasPcr(p)) {
        writePcrBase(p, (readPcrBase(p) + shift) & kTimestampMask);
    }
    if (const auto pes = pesTimestamps(p)) {
        const int flags = p[*pes + 7] >> 6;
        if ((flags & 0x2) != 0) {
            writeTimestamp(p + *pes + 9, (readTimestamp(p + *pes + 9) + shift) & kTimestampMask);
        }
        if (flags == 0x3 && *pes + 19 <= kPacketSize) {
            writeTimestamp(p + *pes + 14, (readTimestamp(p + *pes + 14) + shift) & kTimestampMask);
        }
    }
}
