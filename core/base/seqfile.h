#pragma once

// The sequential "write" text format of the settings and recent-file files:
// strings in double quotes, numbers as decimal text with a point, dates as
// #YYYY-MM-DD#, values separated by commas, lines ended by CR LF.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/dates.h"

namespace vz::base {

class SeqWriter {
  public:
    // A double quote inside a string is written doubled, so that any text
    // (a path may hold one) reads back as it was written.
    SeqWriter& str(std::string_view s);
    SeqWriter& num(long long n);
    SeqWriter& num(double x);
    SeqWriter& date(Date d);
    SeqWriter& endLine();

    const std::string& text() const { return text_; }

  private:
    void separate();

    std::string text_;
    bool lineStarted_ = false;
};

// Reads values in order; a line end separates values like a comma does.
// Faults throw vz::Error: "Input past end of file" (62) when no value is left,
// "Type mismatch" (13) for a value of the wrong kind, "Overflow" (6) for a
// number out of range.
class SeqReader {
  public:
    explicit SeqReader(std::string_view text);

    // True when nothing but blanks and line ends is left.
    bool atEnd() const;

    std::string readString();
    double readNumber();
    std::int16_t readInt16();
    Date readDate();

    // Skips what is left of the current line.
    void skipLine();

  private:
    std::string_view rawField(bool& quoted);
    void skipBlanks();

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace vz::base
