// SPDX-License-Identifier: MIT
#include "journal/Statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

// Sums are kept in integers, so a zero variance is found exactly rather than
// as a rounding residue that would make a figure out of noise.
namespace {

using Int = std::int64_t;

// n^2 times the (s - 1)-variance times (n - 1)/n: n Σv² - (Σv)².
Int Spread(Int n, Int sum, Int squares)
{
    return n * squares - sum * sum;
}

} // namespace

std::vector<TItemFigures> ItemFigures(const TMarks& marks)
{
    const std::size_t n = marks.Students;
    std::vector<Int> totals(n, 0);
    for (std::size_t s = 0; s < n; ++s)
        for (std::size_t i = 0; i < marks.Items; ++i)
            totals[s] += marks.At(s, i);

    std::vector<TItemFigures> figures(marks.Items);
    std::vector<Int> rest(n);
    for (std::size_t i = 0; i < marks.Items; ++i) {
        Int sx = 0;
        Int sy = 0;
        Int syy = 0;
        Int sxy = 0;
        for (std::size_t s = 0; s < n; ++s) {
            const Int x = marks.At(s, i);
            const Int y = totals[s] - x;
            rest[s] = y;
            sx += x;
            sy += y;
            syy += y * y;
            sxy += x * y;
        }
        TItemFigures& f = figures[i];
        if (n == 0)
            continue;
        const Int N = Int(n);
        f.Facility = 100.0 * double(sx) / double(N);
        if (n < 2)
            continue;
        const Int vx = Spread(N, sx, sx); // marks are 0 or 1: Σx² = Σx
        const Int vy = Spread(N, sy, syy);
        const Int cov = N * sxy - sx * sy;
        f.Sd = 100.0 * std::sqrt(double(vx) / double(N * (N - 1)));
        if (vx > 0 && vy > 0)
            f.Discrimination = 100.0 * double(cov) / std::sqrt(double(vx) * double(vy));
        // The largest covariance these marks and rests allow: both sorted,
        // so the sx marks of 1 meet the sx largest rests.
        const auto largest = rest.begin() + std::ptrdiff_t(n - std::size_t(sx));
        std::nth_element(rest.begin(), largest, rest.end());
        const Int sorted = std::accumulate(largest, rest.end(), Int(0));
        const Int covMax = N * sorted - sx * sy;
        if (covMax != 0)
            f.Efficiency = 100.0 * double(cov) / double(covMax);
    }
    return figures;
}

TScoreFigures ScoreFigures(const std::vector<unsigned>& right, unsigned questions)
{
    TScoreFigures f;
    f.Attempts = right.size();
    const std::size_t n = right.size();
    if (n == 0 || questions == 0)
        return f;
    const double scale = 100.0 / double(questions);
    Int sum = 0;
    Int squares = 0;
    for (const unsigned r : right) {
        sum += r;
        squares += Int(r) * Int(r);
    }
    const double mean = double(sum) / double(n);
    f.Mean = mean * scale;

    std::vector<unsigned> sorted = right;
    std::sort(sorted.begin(), sorted.end());
    f.Median = (n % 2 ? double(sorted[n / 2]) : (double(sorted[n / 2 - 1]) + double(sorted[n / 2])) / 2.0) * scale;

    if (n < 2)
        return f;
    const Int N = Int(n);
    const Int spread = Spread(N, sum, squares);
    f.Sd = std::sqrt(double(spread) / double(N * (N - 1))) * scale;
    if (spread == 0 || n < 3)
        return f;

    double m2 = 0;
    double m3 = 0;
    double m4 = 0;
    for (const unsigned r : right) {
        const double d = double(r) - mean;
        m2 += d * d;
        m3 += d * d * d;
        m4 += d * d * d * d;
    }
    const double s = double(n);
    m2 /= s;
    m3 /= s;
    m4 /= s;
    const double k2 = s * m2 / (s - 1);
    const double k3 = s * s * m3 / ((s - 1) * (s - 2));
    f.Skewness = k3 / std::pow(k2, 1.5);
    if (n < 4)
        return f;
    const double k4 = s * s * ((s + 1) * m4 - 3 * (s - 1) * m2 * m2) / ((s - 1) * (s - 2) * (s - 3));
    f.Kurtosis = k4 / (k2 * k2);
    return f;
}

TFigure Alpha(const TMarks& marks)
{
    const std::size_t n = marks.Students;
    const std::size_t p = marks.Items;
    if (n < 2 || p < 2)
        return {};
    const Int N = Int(n);
    std::vector<Int> totals(n, 0);
    Int items = 0;
    for (std::size_t i = 0; i < p; ++i) {
        Int sx = 0;
        for (std::size_t s = 0; s < n; ++s) {
            sx += marks.At(s, i);
            totals[s] += marks.At(s, i);
        }
        items += Spread(N, sx, sx);
    }
    Int sum = 0;
    Int squares = 0;
    for (const Int t : totals) {
        sum += t;
        squares += t * t;
    }
    const Int whole = Spread(N, sum, squares);
    if (whole == 0)
        return {};
    const double P = double(p);
    return 100.0 * P / (P - 1) * (1.0 - double(items) / double(whole));
}

TFigure ErrorRatio(TFigure alpha)
{
    if (!alpha || *alpha > 100.0)
        return {};
    return 100.0 * std::sqrt(1.0 - *alpha / 100.0);
}

TFigure StandardError(TFigure errorRatio, TFigure sd)
{
    if (!errorRatio || !sd)
        return {};
    return *errorRatio * *sd / 100.0;
}
