// SPDX-License-Identifier: MIT
// Moodle's quiz figures, checked against values worked out by hand for small
// classes and against a plain, textbook computation on random classes.
#include "journal/Statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

namespace {

TMarks Marks(const std::vector<std::vector<int>>& rows)
{
    TMarks m;
    m.Students = rows.size();
    m.Items = rows.empty() ? 0 : rows[0].size();
    for (const auto& row : rows)
        for (const int x : row)
            m.X.push_back(std::uint8_t(x));
    return m;
}

std::vector<unsigned> Totals(const TMarks& m)
{
    std::vector<unsigned> t(m.Students, 0);
    for (std::size_t s = 0; s < m.Students; ++s)
        for (std::size_t i = 0; i < m.Items; ++i)
            t[s] += m.At(s, i);
    return t;
}

// An expected figure: a value, or nothing when undefined.
using Want = std::optional<double>;
const Want None;

void ExpectFigure(TFigure got, Want want, const char* what)
{
    if (!want) {
        EXPECT_FALSE(got.has_value()) << what << " should be undefined, is " << got.value_or(0);
    } else {
        ASSERT_TRUE(got.has_value()) << what << " should be " << *want;
        EXPECT_NEAR(*got, *want, 1e-3) << what;
    }
}

struct ItemWant {
    Want Facility, Sd, Discrimination, Efficiency;
};

struct HandClass {
    const char* Name;
    std::vector<std::vector<int>> Marks;
    std::vector<ItemWant> Items;
    // mean, median, sd, skewness, kurtosis (percents), alpha, error ratio, standard error
    Want Mean, Median, Sd, Skewness, Kurtosis, Alpha, ErrorRatio, StandardError;
};

void PrintTo(const HandClass& c, std::ostream* os) { *os << c.Name; }

class WorkedByHand : public ::testing::TestWithParam<HandClass> {};

TEST_P(WorkedByHand, AllFigures)
{
    const HandClass& c = GetParam();
    const TMarks m = Marks(c.Marks);
    const std::vector<TItemFigures> items = ItemFigures(m);
    ASSERT_EQ(items.size(), c.Items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i + 1));
        ExpectFigure(items[i].Facility, c.Items[i].Facility, "facility");
        ExpectFigure(items[i].Sd, c.Items[i].Sd, "sd");
        ExpectFigure(items[i].Discrimination, c.Items[i].Discrimination, "discrimination");
        ExpectFigure(items[i].Efficiency, c.Items[i].Efficiency, "efficiency");
    }
    const TScoreFigures score = ScoreFigures(Totals(m), unsigned(m.Items));
    EXPECT_EQ(score.Attempts, m.Students);
    ExpectFigure(score.Mean, c.Mean, "mean");
    ExpectFigure(score.Median, c.Median, "median");
    ExpectFigure(score.Sd, c.Sd, "sd");
    ExpectFigure(score.Skewness, c.Skewness, "skewness");
    ExpectFigure(score.Kurtosis, c.Kurtosis, "kurtosis");
    const TFigure alpha = Alpha(m);
    ExpectFigure(alpha, c.Alpha, "alpha");
    ExpectFigure(ErrorRatio(alpha), c.ErrorRatio, "error ratio");
    ExpectFigure(StandardError(ErrorRatio(alpha), score.Sd), c.StandardError, "standard error");
}

const double Root33 = std::sqrt(33.0);

INSTANTIATE_TEST_SUITE_P(Classes, WorkedByHand, ::testing::Values(
    // A perfect staircase: every item separates the class as well as it can.
    HandClass{"Staircase", {{1, 1, 1}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}},
        {{75, 50, 300 / Root33, 100}, {50, 100 / std::sqrt(3.0), 400 / std::sqrt(32.0), 100},
            {25, 50, 300 / Root33, 100}},
        50, 50, 100 * std::sqrt(5.0 / 3) / 3, 0, -1.2, 75, 50, 50 * std::sqrt(5.0 / 3) / 3},
    // Ties everywhere; the third item's rest score does not vary, so its
    // discrimination is undefined; alpha is negative.
    HandClass{"TiesAndConstantRest", {{1, 0, 1}, {0, 1, 1}, {1, 0, 0}, {0, 1, 0}},
        {{50, 100 / std::sqrt(3.0), -400 / std::sqrt(32.0), -100},
            {50, 100 / std::sqrt(3.0), -400 / std::sqrt(32.0), -100},
            {50, 100 / std::sqrt(3.0), None, None}},
        50, 50, 100 / std::sqrt(3.0) / 3, 0, -6, -300, 200, 200 * (100 / std::sqrt(3.0) / 3) / 100},
    // Efficiency short of its bound: Cov = -1/20, Cov_max = 4/20.
    HandClass{"EfficiencyBelowItsBound", {{1, 1}, {1, 0}, {0, 1}, {1, 0}, {0, 0}},
        {{60, 100 * std::sqrt(0.3), -100.0 / 6, -25}, {40, 100 * std::sqrt(0.3), -100.0 / 6, -25}},
        50, 50, 50 * std::sqrt(0.5), 0, 2, -40, 100 * std::sqrt(1.4), 100 * std::sqrt(1.4) * 50 * std::sqrt(0.5) / 100},
    // Everyone alike: no variance anywhere.
    HandClass{"ZeroVariance", {{1, 0}, {1, 0}, {1, 0}},
        {{100, 0, None, None}, {0, 0, None, None}},
        50, 50, 0, None, None, None, None, None},
    HandClass{"OneAttempt", {{1, 0, 1}}, {{100, None, None, None}, {0, None, None, None}, {100, None, None, None}},
        100.0 * 2 / 3, 100.0 * 2 / 3, None, None, None, None, None, None},
    HandClass{"TwoAttemptsNoSkewness", {{1, 1}, {0, 1}},
        {{50, 100 * std::sqrt(0.5), None, None}, {100, 0, None, None}},
        75, 75, 50 * std::sqrt(0.5), None, None, 0, 100, 50 * std::sqrt(0.5)},
    HandClass{"ThreeAttemptsNoKurtosis", {{1, 1}, {0, 1}, {0, 0}},
        {{100.0 / 3, 100 / std::sqrt(3.0), 50, 100}, {200.0 / 3, 100 / std::sqrt(3.0), 50, 100}},
        50, 50, 50, 0, None, 100.0 * 2 * (1 - (2.0 / 3) / 1), 100 * std::sqrt(1 - 2.0 / 3),
        100 * std::sqrt(1 - 2.0 / 3) * 50 / 100}));

// ---- A second, plain computation ---------------------------------------------

double Mean(const std::vector<double>& v)
{
    return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

double Cov(const std::vector<double>& a, const std::vector<double>& b)
{
    const double ma = Mean(a);
    const double mb = Mean(b);
    double sum = 0;
    for (std::size_t k = 0; k < a.size(); ++k)
        sum += (a[k] - ma) * (b[k] - mb);
    return sum / double(a.size() - 1);
}

bool Constant(const std::vector<double>& v)
{
    return std::all_of(v.begin(), v.end(), [&](double x) { return x == v[0]; });
}

void ExpectClose(TFigure got, Want want, const char* what)
{
    ASSERT_EQ(got.has_value(), want.has_value()) << what;
    if (want) {
        EXPECT_NEAR(*got, *want, 1e-7 * std::max(1.0, std::abs(*want))) << what;
    }
}

TEST(PlainComputation, AgreesOnRandomClasses)
{
    std::mt19937 random(2026);
    for (int round = 0; round < 300; ++round) {
        const std::size_t n = 1 + random() % 40;
        const std::size_t p = 1 + random() % 12;
        std::vector<double> ease(p);
        for (double& e : ease)
            e = std::uniform_real_distribution<double>(0, 1)(random);
        TMarks m{n, p, {}};
        for (std::size_t s = 0; s < n; ++s)
            for (std::size_t i = 0; i < p; ++i)
                m.X.push_back(std::uniform_real_distribution<double>(0, 1)(random) < ease[i]);
        SCOPED_TRACE("round " + std::to_string(round));

        std::vector<double> total(n, 0);
        for (std::size_t s = 0; s < n; ++s)
            for (std::size_t i = 0; i < p; ++i)
                total[s] += m.At(s, i);
        const std::vector<TItemFigures> items = ItemFigures(m);
        for (std::size_t i = 0; i < p; ++i) {
            std::vector<double> x(n);
            std::vector<double> rest(n);
            for (std::size_t s = 0; s < n; ++s) {
                x[s] = m.At(s, i);
                rest[s] = total[s] - x[s];
            }
            ExpectClose(items[i].Facility, 100 * Mean(x), "facility");
            if (n < 2) {
                ExpectClose(items[i].Sd, None, "sd");
                continue;
            }
            ExpectClose(items[i].Sd, 100 * std::sqrt(Cov(x, x)), "sd");
            ExpectClose(items[i].Discrimination,
                Constant(x) || Constant(rest) ? None : Want(100 * Cov(x, rest) / std::sqrt(Cov(x, x) * Cov(rest, rest))),
                "discrimination");
            std::vector<double> xs = x;
            std::vector<double> rs = rest;
            std::sort(xs.begin(), xs.end());
            std::sort(rs.begin(), rs.end());
            ExpectClose(items[i].Efficiency, Constant(xs) || Constant(rs) ? None : Want(100 * Cov(x, rest) / Cov(xs, rs)),
                "efficiency");
        }

        std::vector<double> pct(n);
        std::vector<unsigned> right(n);
        for (std::size_t s = 0; s < n; ++s) {
            right[s] = unsigned(total[s]);
            pct[s] = 100 * total[s] / double(p);
        }
        const TScoreFigures f = ScoreFigures(right, unsigned(p));
        ExpectClose(f.Mean, Mean(pct), "mean");
        std::vector<double> sorted = pct;
        std::sort(sorted.begin(), sorted.end());
        ExpectClose(f.Median, n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2, "median");
        const double S = double(n);
        const bool flat = Constant(pct);
        ExpectClose(f.Sd, n < 2 ? None : Want(std::sqrt(Cov(pct, pct))), "sd");
        double m2 = 0, m3 = 0, m4 = 0;
        for (const double v : pct) {
            const double d = v - Mean(pct);
            m2 += std::pow(d, 2) / S;
            m3 += std::pow(d, 3) / S;
            m4 += std::pow(d, 4) / S;
        }
        const double k2 = S * m2 / (S - 1);
        ExpectClose(f.Skewness, n < 3 || flat ? None : Want(S * S * m3 / ((S - 1) * (S - 2)) / std::pow(k2, 1.5)),
            "skewness");
        ExpectClose(f.Kurtosis,
            n < 4 || flat ? None
                          : Want(S * S * ((S + 1) * m4 - 3 * (S - 1) * m2 * m2) / ((S - 1) * (S - 2) * (S - 3)) / (k2 * k2)),
            "kurtosis");

        Want alpha;
        if (n >= 2 && p >= 2 && !Constant(total)) {
            double items_ = 0;
            for (std::size_t i = 0; i < p; ++i) {
                std::vector<double> x(n);
                for (std::size_t s = 0; s < n; ++s)
                    x[s] = m.At(s, i);
                items_ += Cov(x, x);
            }
            alpha = 100 * double(p) / double(p - 1) * (1 - items_ / Cov(total, total));
        }
        ExpectClose(Alpha(m), alpha, "alpha");
    }
}

TEST(ScoreFigures, NoQuestionsOrNoAttemptsGiveNothing)
{
    const TScoreFigures none = ScoreFigures({}, 10);
    EXPECT_EQ(none.Attempts, 0u);
    EXPECT_FALSE(none.Mean.has_value());
    const TScoreFigures empty = ScoreFigures({0, 0}, 0);
    EXPECT_EQ(empty.Attempts, 2u);
    EXPECT_FALSE(empty.Mean.has_value());
    EXPECT_FALSE(empty.Sd.has_value());
}

} // namespace
