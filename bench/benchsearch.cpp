#include "benchsearch.h"

#include "herbcatalogue.h"
#include "herbsearchindex.h"

#include <QStringList>

#include <ctime>

namespace {

double threadCpuUs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

} // namespace

SearchCost measureSearch()
{
    SearchCost cost;
    cost.rows = HerbCatalogue::count();
    double start = threadCpuUs();
    const HerbSearchIndex &index = HerbSearchIndex::instance();
    cost.firstBuildUs = threadCpuUs() - start;
    for (int i = 0; i < 50; ++i) {
        start = threadCpuUs();
        const HerbSearchIndex another;
        cost.buildUs.add(threadCpuUs() - start);
    }
    // Short texts name many plants and are the slowest; a text that names nothing reads every row.
    const QStringList texts {
            "b",  "bh",     "bohe",   "zi yu lan", "lvdou", "a",  "mentha", "Artemisia argyi",
            "紫", "板蓝根", "唇形科", "蒿属",      "止咳",  "根", "xq",     "无资料"};
    constexpr int kRepeats = 200;
    qsizetype found = 0; // used, so that no search is left out
    for (const QString &text : texts) {
        start = threadCpuUs();
        for (int i = 0; i < kRepeats; ++i)
            found += index.find(text).size();
        cost.searchUs.add((threadCpuUs() - start) / kRepeats);
    }
    if (found == 0)
        cost.searchUs.addFailure();
    return cost;
}
