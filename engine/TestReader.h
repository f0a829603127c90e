// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Question.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TFile;

// Byte 26 ends the file before a group and cuts a line short inside one.
inline constexpr char CtrlZ = 26;
// A number's run of bytes is cut after this many.
inline constexpr std::size_t NumberLimit = 32;

// Where a number item starts in the file and the run of bytes read there
// (after the cut at NumberLimit). Both are set before the run is parsed, so
// they name the bad run when parsing fails.
struct TNumberPlace {
    std::uint64_t Offset = 0;
    std::string Text;
};

// Where the items of one question group start, as byte offsets from the start
// of the file. Filled only when asked for; loading does not need it.
struct TGroupPlaces {
    std::uint64_t Text = 0;
    TNumberPlace Count;
    TNumberPlace Correct;
    std::vector<std::uint64_t> Options;
};

// One question group in file order, as the program reads it: nothing
// shuffled, every option kept.
struct TGroup {
    std::string Text;
    // Both numbers as written, before the 8-bit cut.
    std::int32_t Count = 0;
    std::int32_t Correct = 0;
    // As many lines as the count's low 8 bits say.
    std::vector<std::string> Options;
};

// Reads a test file, or its bytes already in memory, through a buffer; every
// rule of the format lives here and in ReadGroup.
class TTestReader {
public:
    explicit TTestReader(TFile& file)
        : file_(&file)
        , data_(buffer_)
    {
    }
    explicit TTestReader(std::string_view bytes)
        : data_(bytes.data())
        , size_(bytes.size())
        , read_(bytes.size())
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

    TFile* file_ = nullptr;
    const char* data_;
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    std::uint64_t read_ = 0;
    char buffer_[64 * 1024];
};

// Reads one question group in file order; with `places`, also records where
// its items start. Each field is set as soon as it is read, so a group whose
// number is malformed keeps what came before it.
void ReadGroup(TTestReader& reader, TGroup& group, TGroupPlaces* places = nullptr);

// Reads one question group as the program loads it: options shuffled, the
// right option's number following its option, those past the fifth position
// dropped.
void ReadQuestion(TTestReader& reader, TQuestion& q);
