// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Files.h"
#include "engine/Ques.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Where a number item starts in the file and the value written there, before
// it is cut to 8 bits. `offset` is set before the number is parsed, so it
// names the bad run when parsing fails.
struct TNumberPlace {
    std::uint64_t offset = 0;
    std::int32_t value = 0;
};

// Where the items of one question group start, as byte offsets from the start
// of the file. Filled only when asked for; loading does not need it.
struct TGroupPlaces {
    std::uint64_t text = 0;
    TNumberPlace count;
    TNumberPlace correct;
    std::vector<std::uint64_t> options;
};

// Reads a test file byte by byte through a buffer; every rule of the format
// lives here and in ReadQuestion.
class TTestReader {
public:
    explicit TTestReader(TFile& file)
        : file_(file)
    {
    }

    // The end is only looked for before a group: the physical end or Ctrl-Z.
    bool AtEnd();
    std::string ReadLine();
    // Reads a whole number and skips the rest of its line.
    std::int32_t ReadNumber(TNumberPlace* place = nullptr);
    // Bytes consumed so far: where the next item starts.
    std::uint64_t Offset() const { return read_ - size_ + pos_; }

private:
    bool Fill();
    void ReserveForLongLine(std::string& text) const;
    void SkipLine();

    TFile& file_;
    char buffer_[64 * 1024];
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    std::uint64_t read_ = 0;
};

// Reads one question group, shuffling its options as they are read; with
// `places`, also records where its items start.
void ReadQuestion(TTestReader& reader, TQuestion& q, TGroupPlaces* places = nullptr);
