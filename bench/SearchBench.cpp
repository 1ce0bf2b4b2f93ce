// The channel search as a user types: each keystroke of a few queries (kana, romaji, an id)
// filtered over lists of 10,000 and 100,000 channels with Japanese, mixed and Latin names.
// Indexing a list is measured apart, since it happens once per downloaded list.
#include "catalogue/ChannelList.h"
#include "catalogue/ChannelSearch.h"
#include "catalogue/NameReader.h"

#include <QStringList>

#include <benchmark/benchmark.h>

#include <map>

namespace {

const ChannelList& channels(int count) {
    static std::map<int, ChannelList> cache;
    ChannelList& lists = cache[count];
    if (!lists.channels.empty()) {
        return lists;
    }
    const QStringList words{QStringLiteral("ニュース"),     QStringLiteral("アニメ・ステーション"),
                            QStringLiteral("ドラマ"),       QStringLiteral("スポーツ"),
                            QStringLiteral("映画"),         QStringLiteral("ｷｯｽﾞ"),
                            QStringLiteral("ミュージック"), QStringLiteral("Cinema"),
                            QStringLiteral("ＢＳ"),         QStringLiteral("しょっぴんぐ"),
                            QStringLiteral("旅チャンネル"), QStringLiteral("ファミリー劇場")};
    for (int i = 0; i < count; ++i) {
        const QString name = words[i % words.size()] + QLatin1Char(' ') +
                             words[(i / 7) % words.size()] + QString::number(i % 97);
        lists.channels.push_back(std::make_unique<ChannelInfo>(0, QString::number(1000 + i), name,
                                                               QString(), QString()));
    }
    return lists;
}

// The whole index, the kanji names' readings included (the dictionary loaded, every name with
// kanji read), as the list's worker builds it.
void index(benchmark::State& state) {
    const ChannelList& lists = channels(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ChannelSearch search(lists, ChannelSearch::Readings::With);
        benchmark::DoNotOptimize(search.size());
    }
    state.SetLabel(NameReader().ready() ? "with readings; aim under 2 s at 100000"
                                        : "no dictionary: without readings");
}

// ARG is the query typed so far; every keystroke's prefix is searched in each iteration, and
// the time per keystroke is reported.
void keystrokes(benchmark::State& state, const QString& query) {
    const ChannelSearch search(channels(static_cast<int>(state.range(0))),
                               ChannelSearch::Readings::With);
    std::size_t found = 0;
    for (auto _ : state) {
        for (qsizetype typed = 1; typed <= query.size(); ++typed) {
            found += search.Find(query.left(typed)).size();
        }
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * query.size());
    state.counters["per_keystroke_us"] = benchmark::Counter(
        static_cast<double>(state.iterations() * query.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

}  // namespace

BENCHMARK(index)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(keystrokes, romaji, QStringLiteral("anime"))
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystrokes, romaji_long, QStringLiteral("nyu-su"))
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystrokes, kana, QStringLiteral("すぽーつ"))
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystrokes, id, QStringLiteral("10500"))
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystrokes, reading, QStringLiteral("tabichan"))
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
