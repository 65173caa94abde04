#include "core/editing/card.h"

#include <tuple>

#include <fmt/format.h>

#include "core/base/text.h"

namespace vz::editing {

namespace {

std::string folded(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool namesDog(const base::Post& p) {
    return p.RegName && !base::trim(*p.RegName).empty();
}

void addNote(PostCheck& check, const std::string& text) {
    if (!check.note.empty()) {
        check.note += "; ";
    }
    check.note += text;
}

}  // namespace

DogNames::DogNames(const std::vector<std::string>& names) {
    folded_.reserve(names.size());
    for (const std::string& n : names) {
        folded_.insert(folded(n));
    }
}

bool DogNames::contains(std::string_view name) const {
    return folded_.count(folded(name)) != 0;
}

std::map<std::int64_t, PostCheck> checkCard(const std::vector<base::Post>& allPosts,
                                            const DogNames& dogs) {
    std::map<std::int64_t, PostCheck> found;
    for (const base::Post& p : allPosts) {
        PostCheck check;
        std::string twice;
        for (const base::Post& other : allPosts) {
            if (other.rowId == p.rowId) {
                continue;
            }
            const bool sameRace =
                std::tie(other.RaceDate, other.RaceNum) == std::tie(p.RaceDate, p.RaceNum);
            if (!check.dogTwice && namesDog(p) && namesDog(other) && other.RaceDate == p.RaceDate &&
                base::equalsNoCase(*other.RegName, *p.RegName)) {
                check.dogTwice = true;
                twice = sameRace ? fmt::format("{} runs twice in this race", *p.RegName)
                                 : fmt::format("{} also runs in race {}", *p.RegName,
                                               other.RaceNum.value_or(0));
            }
            check.postTwice = check.postTwice || (sameRace && p.Post && other.Post == p.Post);
        }
        if (namesDog(p) && !dogs.contains(*p.RegName)) {
            check.unknownDog = true;
            addNote(check, fmt::format("{} is not in the dog database", *p.RegName));
        }
        if (check.dogTwice) {
            addNote(check, twice);
        }
        if (check.postTwice) {
            addNote(check, fmt::format("Post {} is given twice in this race", *p.Post));
        }
        if (!check.note.empty()) {
            found.emplace(p.rowId, std::move(check));
        }
    }
    return found;
}

int dogCount(const std::vector<base::Post>& racePosts) {
    int n = 0;
    for (const base::Post& p : racePosts) {
        n += namesDog(p) ? 1 : 0;
    }
    return n;
}

std::string raceCaption(int position, int count, int dogs) {
    return fmt::format(" Race Number: {} of {} - {} {}", position, count, dogs,
                       dogs == 1 ? "dog" : "dogs");
}

std::string raceTakenMessage(base::Date date, int number) {
    return fmt::format("This file already has a race {} on {}. The race keeps its date and number.",
                       number, base::shortDate(date));
}

}  // namespace vz::editing
