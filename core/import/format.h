#pragma once

// The common interface of the import formats. A format reads its input (the
// bytes of each input file: text for the program formats, fixed records for
// QAV TEST) and drives a Session. Each format is one file under formats/ and
// one line in registry.cpp.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/import_failed.h"
#include "core/import/session.h"

namespace vz::import {

// One input file the user picks for a format.
struct InputSpec {
    std::string dialogTitle;       // "Select TrackInfo file to import from..."
    std::string filter;            // "TrackInfo Files|*.txt|All Files|*.*"
    std::string folderSetting;     // the remembered folder: "TrackInfoFolder"
    std::string argName = "FILE";  // its name on the command line: "SETUP", "LINES"
};

// What the windows and the terminal tool show of a format.
struct FormatInfo {
    std::string key;             // "trackinfo": the registry and command-line name
    std::string sourceName;      // "TrackInfo"
    std::string menuLabel;       // "Import from TrackInfo"
    std::string windowName;      // "ImportTrackInfo"
    std::string caption;         // "Import from TrackInfo"
    std::string readyText;       // "Ready to import from TrackInfo"
    std::string completionText;  // "Import from TrackInfo is complete."
    std::string settingsFile;    // "TrackInfo.ini"
    bool writesRaceFile = true;
    std::vector<InputSpec> inputs;
};

// What a format's kind check found: empty when the input is of its kind,
// else what stands in the way (for tests and diagnostics: the user reads the
// import error).
using Refusal = std::optional<std::string>;

class Format {
  public:
    virtual ~Format() = default;
    virtual const FormatInfo& info() const = 0;
    // Whether `files` (as for run()) are of this format at all. Decided
    // before anything is written, so a file of another kind changes nothing.
    virtual Refusal refusal(const std::vector<std::string>& files) const = 0;
    // `files` holds the bytes of each input, in the order of info().inputs.
    // Structural faults throw ImportFailed; a field that cannot be converted
    // only keeps the previous value.
    virtual void run(const std::vector<std::string>& files, Session& session) const = 0;
};

// Text input: decoded (UTF-8 when valid, else Windows-1252) and split at
// CR LF, LF or CR.
std::vector<std::string> textLines(std::string_view bytes);

// The lines of a text input one at a time, decoded and split as textLines()
// does, without making them all first: a kind check mostly stops within the
// first lines.
class LineWalk {
  public:
    explicit LineWalk(std::string_view bytes);
    // The next line, or nullptr past the last; valid until the next call.
    const std::string* next();

  private:
    std::string text_;
    std::size_t pos_ = 0;
    std::string line_;
};

// Walks the lines of a text input in order.
class LineReader {
  public:
    explicit LineReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    bool atEnd() const { return pos_ >= lines_.size(); }
    // The next line; throws ImportFailed past the end.
    const std::string& next();
    // Reads and drops `count` lines, whatever they hold; throws ImportFailed
    // when fewer are left.
    void discard(std::size_t count);

    // Lines read so far, and all, for progress.
    long done() const { return static_cast<long>(pos_); }
    long total() const { return static_cast<long>(lines_.size()); }
    // 1-based number of the line last read.
    std::size_t lineNumber() const { return pos_; }

  private:
    std::vector<std::string> lines_;
    std::size_t pos_ = 0;
};

// Nothing left after trimming spaces: every parser skips such lines.
bool isBlankLine(std::string_view line);

// Fixed columns of one line, counted in characters (1-based, as Mid$ does):
// the character starts are found once, so each field is a view into the
// line, cut without copying. The line must outlive the object.
class Columns {
  public:
    explicit Columns(std::string_view line);

    // `length` characters from column `start` (>= 1); what lies past the end
    // is left out.
    std::string_view operator()(std::size_t start, std::size_t length) const;
    // The character at `column`, empty past the end.
    std::string_view at(std::size_t column) const { return (*this)(column, 1); }
    std::size_t size() const { return starts_.empty() ? ascii_ : starts_.size(); }

  private:
    std::string_view line_;
    std::size_t ascii_ = 0;            // the length, when every character is one byte
    std::vector<std::size_t> starts_;  // byte offset of each character otherwise
};

// What a line of a race program is: a race header, a runner's entry, one of
// its past races, or anything else (skipped).
enum class LineKind { Skipped, Header, Entry, Past };

// The kind check of a program whose races open with a header line: of the
// lines left, the first header or entry line must be a header that dates
// its race. `raceDate` reads a header's date, and throws ImportFailed for a
// header of the wrong shape.
Refusal firstHeaderRefusal(
    LineWalk& lines, const std::function<LineKind(const std::string&)>& kind,
    const std::function<std::optional<store::Date>(const std::string&)>& raceDate);

// Without leading and trailing spaces (only spaces, as Trim$ does).
std::string_view trimmed(std::string_view text);

}  // namespace vz::import
