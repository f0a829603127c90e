// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The figures of Moodle's quiz statistics, over marks of 1 (the answer is
// the right option) and 0. Variances and covariances divide by s - 1. A
// figure that is undefined (too few attempts, zero variance) is empty.
using TFigure = std::optional<double>;

// Marks of `students` rows by `items` columns, row after row.
struct TMarks {
    std::size_t Students = 0;
    std::size_t Items = 0;
    std::vector<std::uint8_t> X;

    std::uint8_t At(std::size_t student, std::size_t item) const { return X[student * Items + item]; }
};

struct TItemFigures {
    TFigure Facility;       // mean mark x 100
    TFigure Sd;             // standard deviation of the mark x 100
    TFigure Discrimination; // 100 Cov(x, X-x) / sqrt(V(x) V(X-x))
    TFigure Efficiency;     // 100 Cov(x, X-x) / Cov_max
};

std::vector<TItemFigures> ItemFigures(const TMarks& marks);

// Figures of a test's scores, taken as percents of `questions`.
struct TScoreFigures {
    std::size_t Attempts = 0;
    TFigure Mean;
    TFigure Median;
    TFigure Sd;
    TFigure Skewness; // k3 / k2^1.5
    TFigure Kurtosis; // k4 / k2^2
};

TScoreFigures ScoreFigures(const std::vector<unsigned>& right, unsigned questions);

// Cronbach's alpha x 100 (Moodle's coefficient of internal consistency).
TFigure Alpha(const TMarks& marks);
// 100 sqrt(1 - alpha/100).
TFigure ErrorRatio(TFigure alpha);
// error ratio x SD / 100.
TFigure StandardError(TFigure errorRatio, TFigure sd);
