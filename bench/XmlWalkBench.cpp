// Parse plus a full walk of a channel list, the way the loader reads it: every "groups",
// "group" and "channel", their attributes and child texts, each value turned into UTF-16.
// Ours and pugixml run on the same generated documents in one process; the ratio of their
// times is printed per size.
#include "common/CXmlDoc.h"

#include <QString>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <map>
#include <string>

namespace {

const std::string& channelList(int channels) {
    static std::map<int, std::string> cache;
    std::string& text = cache[channels];
    if (!text.empty()) {
        return text;
    }
    text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tvlist>\n";
    constexpr int kPerGroup = 40;
    constexpr int kGroupsPerSet = 8;
    int channel = 0;
    for (int set = 0; channel < channels; ++set) {
        text += "  <groups name=\"セット " + std::to_string(set) + "\">\n";
        for (int group = 0; group < kGroupsPerSet && channel < channels; ++group) {
            text += "    <group name=\"グループ " + std::to_string(group) + "\">\n";
            for (int i = 0; i < kPerGroup && channel < channels; ++i, ++channel) {
                const std::string id = std::to_string(1000 + channel);
                text += "      <channel id=\"" + id + "\"><name>チャンネル " + id +
                        " &amp; News</name><vip>" + (channel % 9 == 0 ? "1" : "0") +
                        "</vip><zar_address><item>66d7e9e52db679f6dfe5c3ade24c90e5e829071a84f0ec"
                        "94" +
                        id + "</item></zar_address></channel>\n";
            }
            text += "    </group>\n";
        }
        text += "  </groups>\n";
    }
    text += "</tvlist>\n";
    return text;
}

std::size_t walkOurs(const std::string& text) {
    CXmlDoc doc;
    // Handed over as the loader hands over a file it read: bytes and their length, copied once,
    // as pugixml copies the buffer it is given.
    doc.Parse(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    std::size_t total = 0;
    doc.ResetPos();
    while (doc.FindChild("groups")) {
        total += doc.GetChildAttrUtf8("name").size();
        doc.Enter();
        while (doc.FindChild("group")) {
            total += doc.GetChildAttrUtf8("name").size();
            doc.Enter();
            while (doc.FindChild("channel")) {
                total += doc.GetChildAttrUtf8("id").size();
                if (doc.Enter()) {
                    if (doc.FindChild("name")) {
                        total += doc.GetChildTextUtf8().size();
                    }
                    if (doc.FindChild("vip")) {
                        total += doc.GetChildTextUtf8().size();
                    }
                    if (doc.FindChild("zar_address")) {
                        doc.Enter();
                        if (doc.FindChild("item")) {
                            total += doc.GetChildTextUtf8().size();
                        }
                        doc.Leave();
                    }
                    doc.Leave();
                }
            }
            doc.Leave();
        }
        doc.Leave();
    }
    return total;
}

std::size_t walkPugi(const std::string& text) {
    pugi::xml_document doc;
    doc.load_buffer(text.data(), text.size());
    std::size_t total = 0;
    const pugi::xml_node top = doc.document_element();
    for (const pugi::xml_node groups : top.children("groups")) {
        total += QString::fromUtf8(groups.attribute("name").value()).size();
        for (const pugi::xml_node group : groups.children("group")) {
            total += QString::fromUtf8(group.attribute("name").value()).size();
            for (const pugi::xml_node channel : group.children("channel")) {
                total += QString::fromUtf8(channel.attribute("id").value()).size();
                total += QString::fromUtf8(channel.child("name").child_value()).size();
                total += QString::fromUtf8(channel.child("vip").child_value()).size();
                total += QString::fromUtf8(channel.child("zar_address").child("item").child_value())
                             .size();
            }
        }
    }
    return total;
}

void BM_Ours(benchmark::State& state) {
    const std::string& text = channelList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(walkOurs(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Pugixml(benchmark::State& state) {
    const std::string& text = channelList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(walkPugi(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Medians of several repetitions, so a busy moment on the machine does not decide the ratio.
BENCHMARK(BM_Ours)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Pugixml)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// Keeps each benchmark's median CPU time so the ratios can be printed at the end: the time the
// reader itself took, which other work on a busy machine changes less than the clock on the wall.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_times[run.run_name.function_name + "/" + run.run_name.args] =
                    run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatios() const {
        for (const int size : {1000, 10000, 100000}) {
            const auto ours = m_times.find("BM_Ours/" + std::to_string(size));
            const auto peer = m_times.find("BM_Pugixml/" + std::to_string(size));
            if (ours != m_times.end() && peer != m_times.end() && peer->second > 0) {
                std::printf("ratio ours/pugixml %6d channels: %.2f\n", size,
                            ours->second / peer->second);
            }
        }
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (walkOurs(channelList(1000)) != walkPugi(channelList(1000))) {
        std::fprintf(stderr, "the two walks disagree; the comparison would be meaningless\n");
        return 1;
    }
    // Both readers once over every size first: whichever ran first would otherwise also pay for
    // the process's first touches of the heap and the documents.
    for (const int size : {1000, 10000, 100000}) {
        for (int round = 0; round < 3; ++round) {
            benchmark::DoNotOptimize(walkOurs(channelList(size)));
            benchmark::DoNotOptimize(walkPugi(channelList(size)));
        }
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
