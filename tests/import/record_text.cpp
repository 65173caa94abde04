#include "tests/import/record_text.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include "core/base/dates.h"
#include "core/import/registry.h"

namespace vz::test {

namespace {

template <class T>
std::string value(const std::optional<T>& v) {
    return v ? fmt::format("{}", *v) : "?";
}

std::string date(const std::optional<base::Date>& d) {
    return d ? base::toIso(*d) : "?";
}

std::string quoted(const std::optional<std::string>& s) {
    return s ? "\"" + *s + "\"" : "?";
}

// A race line's fields after its name and date.
std::string lineFields(const base::RaceLine& l) {
    return fmt::format("r{} {} w{} p{} b{} e{} s{} f{} l{} t{} o{} {}", value(l.RaceNum),
                       l.Distance.value_or("?"), value(l.WinningTime), value(l.Post),
                       value(l.Break), value(l.Eighth), value(l.Stretch), value(l.Finish),
                       value(l.FinishLength), value(l.FinishTime), value(l.Odds), quoted(l.Grade));
}

std::string itemText(const vz::import::RaceRecord& r) {
    return fmt::format("race {} {} {} {}", value(r.race.RaceNum), date(r.race.RaceDate),
                       quoted(r.race.Grade), r.race.Distance.value_or("?"));
}

std::string itemText(const vz::import::EntryRecord& e) {
    return fmt::format("post {} of {} {} {}{}", value(e.post.Post), value(e.post.RaceNum),
                       date(e.post.RaceDate), quoted(e.post.RegName),
                       e.findsOrAddsDog ? "" : " card only");
}

std::string itemText(const vz::import::PastRecord& p) {
    return fmt::format("line \"{}\" {} {}{}{}", p.line.RegName, date(p.line.RaceDate),
                       lineFields(p.line), p.countsAsStart ? " start" : "",
                       p.findsOrAddsDog ? " adds dog" : "");
}

std::string itemText(const vz::import::DogRecord& d) {
    std::string text =
        fmt::format("dog \"{}\" {} {}/{}/{}/{}", d.dog.RegName, quoted(d.dog.RunningStyle),
                    value(d.dog.NumStarts), value(d.dog.NumFirsts), value(d.dog.NumSeconds),
                    value(d.dog.NumThirds));
    for (const vz::import::DogRecord::Line& l : d.lines) {
        base::RaceLine line = l.line;
        line.Distance = l.distanceIfNew + "|" + l.distanceIfKnown;
        text += fmt::format(" | {} {}", date(line.RaceDate), lineFields(line));
    }
    return text;
}

std::string itemText(vz::import::Skip s) {
    return s == vz::import::Skip::LineWithoutDog ? "no dog" : "no dog record";
}

}  // namespace

std::vector<std::string> readingText(const vz::import::Reading& reading) {
    std::vector<std::string> out;
    for (const vz::import::Record& r : reading.records) {
        std::string text = r.at.input.empty() ? fmt::format("{}: ", r.at.line)
                                              : fmt::format("{} {}: ", r.at.input, r.at.line);
        text += std::visit([](const auto& item) { return itemText(item); }, r.item);
        if (r.fault) {
            text += fmt::format(" !{} {}", r.fault->field, r.fault->text);
        }
        out.push_back(std::move(text));
    }
    if (reading.failure) {
        out.push_back("failed: " + *reading.failure);
    }
    return out;
}

void expectReadings(const std::string& format, const std::vector<ReaderCase>& cases,
                    base::Date today) {
    const vz::import::Format* f = vz::import::findFormat(format);
    ASSERT_NE(f, nullptr) << format;
    for (const ReaderCase& c : cases) {
        EXPECT_EQ(readingText(f->read(c.inputs, today)), c.records) << c.what;
        EXPECT_EQ(f->refusal(c.inputs).value_or(""), c.refusal) << c.what;
    }
}

}  // namespace vz::test
