#pragma once

// The common interface of the import formats. A format is a reader: the
// bytes of each input file in (text for the program formats, fixed records
// for QAV TEST), an ordered list of records out. No reader touches the
// store: the import session applies the records. Each format is one file
// under formats/ that declares everything about itself, and one line in
// registry.cpp.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/dates.h"
#include "core/import/import_failed.h"
#include "core/import/records.h"

namespace vz::import {

// One input file the user picks for a format.
struct InputSpec {
    std::string dialogTitle;       // "Select TrackInfo file to import from..."
    std::string filter;            // "TrackInfo Files|*.txt|All Files|*.*"
    std::string folderSetting;     // the remembered folder: "TrackInfoFolder"
    std::string argName = "FILE";  // its name on the command line: "SETUP", "LINES"
    std::string sample;            // the bundled sample program under data/samples
};

// Everything the menu, the importer windows, the settings files and the
// terminal tool show or keep of a format.
struct FormatInfo {
    std::string key;             // "trackinfo": the registry and command-line name
    std::string sourceName;      // "TrackInfo": in messages
    std::string menuLabel;       // "Import from TrackInfo": the menu row and the terminal's help
    std::string menuControl;     // "TrackInfo": the menu row's cmdTrackInfo and lblTrackInfo
    std::string caption;         // "Import from TrackInfo": the importer window
    std::string readyText;       // "Ready to import from TrackInfo"
    std::string completionText;  // "Import from TrackInfo is complete."
    // The file that keeps the remembered folder of each input, in the order
    // of `inputs`, and its place when the menu reads or writes them all.
    std::string settingsFile;  // "TrackInfo.ini"
    int settingsOrder = 0;
    bool writesRaceFile = true;
    std::vector<InputSpec> inputs;
};

// What a format's kind check found: empty when the input is of its kind,
// else what stands in the way (for tests and diagnostics: the user reads the
// import error).
using Refusal = std::optional<std::string>;

// The refusal of a format of two inputs whose files are in each other's
// place.
inline constexpr std::string_view kInputsSwapped = "the two files are in each other's place";

// The bytes of each input file, in the order of FormatInfo::inputs.
using Inputs = std::vector<std::string>;

class Format {
  public:
    using RefusalFn = Refusal (*)(const Inputs& files);
    using ReadFn = Reading (*)(const Inputs& files, base::Date today);

    Format(FormatInfo info, RefusalFn refusalFn, ReadFn readFn)
        : info_(std::move(info)), refusal_(refusalFn), read_(readFn) {}

    const FormatInfo& info() const { return info_; }
    // Whether `files` are of this format at all. Decided before anything is
    // written, so a file of another kind changes nothing.
    Refusal refusal(const Inputs& files) const { return refusal_(files); }
    // The records of `files`; `today` dates what is published without a year.
    Reading read(const Inputs& files, base::Date today) const { return read_(files, today); }

  private:
    FormatInfo info_;
    RefusalFn refusal_;
    ReadFn read_;
};

// Runs a reader's body; a structural fault it throws (ImportFailed) ends the
// reading there and becomes its failure, after the records read before it.
void readUntilBroken(Reading& reading, const std::function<void()>& body);

// The numbers of one record, read as Val does. A number too large to store
// leaves its field empty and becomes the record's fault (the first found).
class FieldNumbers {
  public:
    std::optional<int> whole(std::string_view text, const char* field);
    std::optional<double> real(std::string_view text, const char* field);
    const std::optional<FieldFault>& fault() const { return fault_; }

  private:
    void note(std::string_view text, const char* field);
    std::optional<FieldFault> fault_;
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
// its race. `header` reads a header line into its race record, and throws
// ImportFailed for a header of the wrong shape.
Refusal firstHeaderRefusal(LineWalk& lines, const std::function<LineKind(const std::string&)>& kind,
                           const std::function<Record(const std::string&)>& header);

// How the lines of a race program are read after its first ones: each line
// by its kind; a header and an entry line are followed by a fixed number of
// lines that are discarded whatever they hold.
struct ProgramLines {
    std::function<LineKind(const std::string&)> kind;
    std::function<Record(const std::string&, Origin)> header;
    std::size_t afterHeader = 0;
    std::function<Record(const std::string&, Origin)> entry;
    std::size_t afterEntry = 0;
    std::function<Record(const std::string&, Origin)> past;
};

// Reads the lines left in `in` into `reading`; throws ImportFailed when the
// lines to discard are missing.
void readProgramLines(LineReader& in, const ProgramLines& layout, Reading& reading);

// Where a program's entry line holds the post (two columns) and the dog's name.
struct EntryColumns {
    std::size_t post;
    std::size_t name;
    std::size_t nameLength;
};

// The runner of an entry line, entered in the race being read; `dog`
// becomes its name, the dog of the past lines that follow.
Record entryRecord(const std::string& line, Origin at, EntryColumns columns, int raceNum,
                   const std::optional<base::Date>& raceDate, std::string& dog);

// Two printed pieces of a time joined and read as a whole number: "30" and
// "45" give 3045.
std::optional<int> joinedTime(FieldNumbers& numbers, std::string_view seconds,
                              std::string_view hundredths, const char* field);

// Without leading and trailing spaces (only spaces, as Trim$ does).
std::string_view trimmed(std::string_view text);

}  // namespace vz::import
