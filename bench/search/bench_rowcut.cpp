// Row cutting benchmark: all rows of a 25-row page, of a 1 MB page and of a 4 MB page whose fields
// all run on to its end, one cut per tick as the row timer does it (PageRows), against the cost of
// one plain copy of the page. Then the result list's model with the 1000 rows of the largest page
// the cutter takes: inserting them one by one in a sort order, and re-sorting them, against cutting
// the same rows.
#include "platform/codepage.h"
#include "search/pagerows.h"
#include "search/resultmodel.h"
#include "search/rowcut.h"
#include "searchpage.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

QByteArray page(int rows)
{
    SearchPageOptions options;
    options.rowsPerPage = rows;
    return CodePage::toGbk(searchPageHtml(QStringLiteral("电影"), 1, options));
}

// Median cost of one deep copy of the page.
double copyMicroseconds(const QByteArray& text, int repeats)
{
    std::vector<double> times;
    qsizetype sink = 0;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        QByteArray copy(text.constData(), text.size());
        sink += copy.size();
        times.push_back(microseconds(Clock::now() - start));
    }
    if (sink < 0)
        std::puts("");
    return median(times);
}

struct RunResult {
    int rows = 0;
    double totalMicroseconds = 0;
    std::vector<double> ticks;
};

// Cuts the whole page the way the row timer does: one row per tick, then the tick that finds none.
RunResult cutAll(const QByteArray& text)
{
    RunResult result;
    PageRows buffer(QByteArray(text.constData(), text.size()));
    for (;;) {
        const auto start = Clock::now();
        const std::optional<ResultRow> row = buffer.takeRow();
        const double tick = microseconds(Clock::now() - start);
        result.ticks.push_back(tick);
        result.totalMicroseconds += tick;
        if (!row)
            break;
        ++result.rows;
    }
    return result;
}

// 200 rows without field start markers, filler, and the field end markers only at the very end.
QByteArray runOnPage(qsizetype size)
{
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += "row</a></td></tr>\n";
    while (text.size() < size)
        text += "quick brown fox jumps over the lazy dog while rain falls on old roofs ";
    return text + "</td><td class=\"size</td><td class=\"date Fannounce&\" title=\"";
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

void measure(const char* name, const QByteArray& text, int runs)
{
    const double copy = copyMicroseconds(text, std::max(runs * 5, 50));
    std::vector<double> totals;
    std::vector<double> allTicks;
    double worstOfAll = 0;
    double worstOfQuietest = 0; // the run whose worst tick is smallest: least disturbed by other programs
    int rows = 0;
    for (int i = 0; i < runs; ++i) {
        const RunResult run = cutAll(text);
        rows = run.rows;
        totals.push_back(run.totalMicroseconds);
        allTicks.insert(allTicks.end(), run.ticks.begin(), run.ticks.end());
        const double worst = *std::max_element(run.ticks.begin(), run.ticks.end());
        worstOfAll = std::max(worstOfAll, worst);
        worstOfQuietest = i == 0 ? worst : std::min(worstOfQuietest, worst);
    }
    const double total = median(totals);
    std::printf("%s: %lld bytes, %d rows; baseline: one plain copy of the page %.2f us\n", name,
                static_cast<long long>(text.size()), rows, copy);
    std::printf("  all rows  %10.1f us = %8.2f x copy, %9.0f rows/s\n", total, total / copy, rows / (total / 1e6));
    std::printf("  tick      median %7.2f us, p99 %7.2f us, worst %8.2f us (quietest run) = %7.2f x copy, "
                "worst %8.2f us (all runs)\n",
                median(allTicks), percentile(allTicks, 0.99), worstOfQuietest, worstOfQuietest / copy, worstOfAll);
}

// The model as the window holds it: a selection on one row, which a re-sort has to carry along.
struct SelectedModel {
    ResultModel model;
    QItemSelectionModel selection{&model};
    void selectRow(int row)
    {
        selection.select(model.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

void measureModel(int runs)
{
    const QByteArray text = page(PageRows::maxRows);
    QList<ResultRow> rows;
    PageRows buffer(text);
    while (const std::optional<ResultRow> row = buffer.takeRow())
        rows.append(*row);
    const int n = int(rows.size());

    std::vector<double> cutTotals;
    std::vector<double> cutTicks;
    std::vector<double> insertTotals;
    std::vector<double> inserts;
    std::vector<double> sorts[2]; // by title, by size
    bool keptSelection = true;
    for (int run = 0; run < runs; ++run) {
        const RunResult cut = cutAll(text);
        cutTotals.push_back(cut.totalMicroseconds);
        cutTicks.insert(cutTicks.end(), cut.ticks.begin(), cut.ticks.end());

        // Rows arriving while a sort by size is in force: each one goes to its place.
        SelectedModel list;
        list.model.sortBy(ResultModel::SizeColumn, run % 2 == 0 ? 1 : -1);
        double total = 0;
        for (const ResultRow& row : rows) {
            const auto start = Clock::now();
            list.model.addRow(row);
            const double one = microseconds(Clock::now() - start);
            inserts.push_back(one);
            total += one;
        }
        insertTotals.push_back(total);

        // Header clicks on a full list: title and size, each way.
        list.selectRow(n / 2);
        const QByteArray selectedKey = list.model.row(n / 2).informationKey;
        const int orders[4][2] = {{0, 1}, {0, -1}, {1, 1}, {1, -1}};
        for (const auto& order : orders) {
            const auto start = Clock::now();
            list.model.sortBy(order[0], order[1]);
            sorts[order[0]].push_back(microseconds(Clock::now() - start));
        }
        const QModelIndexList selected = list.selection.selectedRows();
        keptSelection = keptSelection && selected.size() == 1 &&
                        list.model.row(selected.first().row()).informationKey == selectedKey;
    }
    const double cutTotal = median(cutTotals);
    const double insertTotal = median(insertTotals);
    std::printf("result model, %d rows (a %lld-byte page), %d runs; baseline: cutting the same rows\n", n,
                static_cast<long long>(text.size()), runs);
    std::printf("  cut       all rows %9.1f us, tick median %7.2f us, worst %8.2f us\n", cutTotal, median(cutTicks),
                *std::max_element(cutTicks.begin(), cutTicks.end()));
    std::printf("  insert    all rows %9.1f us = %6.2f x cut, one median %7.2f us, p99 %7.2f us, worst %8.2f us\n",
                insertTotal, insertTotal / cutTotal, median(inserts), percentile(inserts, 0.99),
                *std::max_element(inserts.begin(), inserts.end()));
    for (int column = 0; column < 2; ++column) {
        const double sort = median(sorts[column]);
        std::printf("  sort by %s  one re-sort median %8.1f us = %5.2f x cut, worst %9.1f us (a tick is 10000 us)\n",
                    column == 0 ? "title" : "size ", sort, sort / cutTotal,
                    *std::max_element(sorts[column].begin(), sorts[column].end()));
    }
    std::printf("  selection kept across re-sorts: %s\n", keptSelection ? "yes" : "NO");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 20;
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--runs"));
    if (at > 0 && at + 1 < args.size())
        runs = std::max(1, args[at + 1].toInt());

    const QByteArray small = page(25);
    // Enough rows for a page of at least 1 MB (1048576 bytes).
    int bigRows = int(25 * (1024.0 * 1024.0 / double(small.size())));
    QByteArray big = page(bigRows);
    while (big.size() < 1024 * 1024) {
        bigRows += bigRows / 20 + 1;
        big = page(bigRows);
    }
    std::printf("row cutting, %d runs each (times are medians over runs unless marked worst)\n", runs);
    measure("25-row page", small, runs);
    measure("1 MB page", big, std::max(1, runs / 4));
    measure("4 MB run-on page", runOnPage(4 * 1024 * 1024), std::max(1, runs / 4));
    measureModel(std::max(1, runs / 2));
    return 0;
}
