// Throughput of the link scanner on a large synthetic page: a realistic mix of
// layout tags, text, scripts, comments, relative and absolute links, pictures.
#include "engine/HTMLScan.h"
#include "engine/Tags.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <cstdint>

namespace {

// A small deterministic generator, so every run scans the same page.
class Lcg
{
public:
    uint32_t Next(uint32_t bound)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(m_state >> 33) % bound;
    }

private:
    uint64_t m_state = 0x5eed;
};

const char *const kWords[] = {"gallery", "photo", "the", "summer", "album", "of", "and", "new", "view",
                              "picture", "travel", "city", "night", "beach", "with", "friends"};

QByteArray Words(Lcg &random, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ' ';
        text += kWords[random.Next(std::size(kWords))];
    }
    return text;
}

QByteArray Block(Lcg &random, int n)
{
    const QByteArray id = QByteArray::number(n);
    QByteArray block;
    switch (random.Next(10)) {
    case 0:
        block += "<script type=\"text/javascript\">var i = 0; if (i < 3 && n > 2) { load('/js/app-" + id
            + ".js'); }</script>\n";
        break;
    case 1:
        block += "<!-- block " + id + ": " + Words(random, 6) + " -->\n";
        break;
    case 2:
        block += "<link rel=\"stylesheet\" type=\"text/css\" href=\"../css/site-" + id + ".css\">\n";
        break;
    default:
        break;
    }
    block += "<div class=\"item item-" + id + "\" id=\"i" + id + "\">\n  <h2 class=\"title\">" + Words(random, 4)
        + "</h2>\n";
    block += "  <a href=\"/gallery/" + Words(random, 1) + "/page-" + id + ".html\" title=\"" + Words(random, 3)
        + "\"><img src=\"images/thumbs/" + id + ".jpg\" alt=\"" + Words(random, 3)
        + "\" width=\"160\" height=\"120\" border=\"0\"></a>\n";
    block += "  <p style=\"margin: 0 4px\">" + Words(random, 25 + int(random.Next(40))) + " &nbsp;<b>"
        + Words(random, 2) + "</b> " + Words(random, 12) + "<br>\n";
    if (random.Next(3) == 0)
        block += "  <a href=\"https://cdn.example.net/media/" + id + "/full/" + Words(random, 1)
            + ".jpg\" target=\"_blank\">" + Words(random, 2) + "</a>\n";
    if (random.Next(4) == 0)
        block += "  <table><tr><td background=\"bg.gif\">" + Words(random, 5) + "</td><td>"
            + Words(random, 5) + "</td></tr></table>\n";
    block += "  <span class=\"more\"><a href=\"../../archive/" + id + "/?sort=date&amp;page=2\">more &raquo;</a></span>\n";
    block += "</div>\n";
    return block;
}

QByteArray SyntheticPage(qsizetype minimumSize)
{
    Lcg random;
    QByteArray page = "<!DOCTYPE html>\n<html><head><title>Gallery</title>"
                      "<meta http-equiv=\"refresh\" content=\"600; url=index.html\"></head>\n<body>\n";
    for (int n = 0; page.size() < minimumSize; ++n)
        page += Block(random, n);
    page += "</body></html>\n";
    return page;
}

const QByteArray &Page()
{
    static const QByteArray page = SyntheticPage(8 * 1024 * 1024);
    return page;
}

void SetThroughput(benchmark::State &state, qsizetype bytes)
{
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB/s"] = benchmark::Counter(double(bytes) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["page_MB"] = double(bytes) / 1e6;
}

// What the worker does with a fetched page: a new scanner, MainURL, the text.
void BM_ScanPage(benchmark::State &state)
{
    const QByteArray &page = Page();
    qsizetype links = 0;
    for (auto _ : state) {
        THTMLScan scanner;
        scanner.SetMainURL(QStringLiteral("http://www.example.com/photos/"));
        scanner.SetHTMLText(page);
        links = scanner.Links().Count();
        benchmark::DoNotOptimize(links);
    }
    SetThroughput(state, page.size());
    state.counters["links"] = double(links);
}
BENCHMARK(BM_ScanPage)->Unit(benchmark::kMillisecond);

// The tag cutting alone, for comparison.
void BM_CutTags(benchmark::State &state)
{
    const QByteArray &page = Page();
    for (auto _ : state) {
        qsizetype tags = 0;
        TTags::Cut(page, [&tags](QByteArrayView) { ++tags; });
        benchmark::DoNotOptimize(tags);
    }
    SetThroughput(state, page.size());
}
BENCHMARK(BM_CutTags)->Unit(benchmark::kMillisecond);

} // namespace
