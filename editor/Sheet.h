// SPDX-License-Identifier: MIT
#pragma once

#include "editor/Document.h"

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class QPrinter;

// What goes on paper: how many variants, whether each shuffles its
// questions and options, and whether the answer keys follow.
struct TSheetOptions {
    int Variants = 1;
    bool Shuffle = false;
    bool Key = true;
    std::uint32_t Seed = 0; // 0: a new draw each time
};

// One variant: the questions in the order printed, each with its options in
// the order printed (indexes into the test's own order, from 0).
struct TVariant {
    std::vector<int> Questions;
    std::vector<std::vector<int>> Options;
};

std::vector<TVariant> MakeVariants(const std::vector<TEditQuestion>& questions, const TSheetOptions& options);

// Options are lettered а), б), в)... as on Russian paper tests.
QString OptionLetter(int index);

// The heading of the sheet: the test's file name without its extension.
QString SheetTitle(const std::string& path);

// A part of the sheet that stays on one page: a question with its options
// (the first with the headings above it), or a variant's key.
struct TSheetPiece {
    QString Html;
    bool NewPage = false; // starts a page: a variant after the first, the keys
};

// The question sheets, one per variant, then the keys, in pieces of HTML.
std::vector<TSheetPiece> SheetPieces(const QString& title, const std::vector<TEditQuestion>& questions,
    const std::vector<TVariant>& variants, bool key);
// The same as one HTML text.
QString SheetHtml(const QString& title, const std::vector<TEditQuestion>& questions,
    const std::vector<TVariant>& variants, bool key);

void PrintSheet(QPrinter& printer, const QString& title, const std::vector<TEditQuestion>& questions,
    const TSheetOptions& options);
// The same to a PDF file; raises EError when it cannot be written.
void WritePdf(const QString& path, const QString& title, const std::vector<TEditQuestion>& questions,
    const TSheetOptions& options);
