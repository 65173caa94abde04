#pragma once

// The race editor's checks of the card as it is edited. They only inform:
// processing validates the card again, by its own rules, before it rates it.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/base/records.h"

namespace vz::editing {

// The dog database's names, compared as the database compares them (ASCII
// letter case ignored).
class DogNames {
  public:
    DogNames() = default;
    explicit DogNames(const std::vector<std::string>& names);
    bool contains(std::string_view name) const;

  private:
    std::unordered_set<std::string> folded_;
};

// What is wrong with one post of the card.
struct PostCheck {
    bool unknownDog = false;  // no dog of this name in the dog database
    bool dogTwice = false;    // the dog runs in another post of the same day too
    bool postTwice = false;   // another dog of the race has the same post
    std::string note;         // the findings in words, for the cell's tip

    bool operator==(const PostCheck&) const = default;
};

// The findings for every post of the file that has one, by the post's rowId.
std::map<std::int64_t, PostCheck> checkCard(const std::vector<base::Post>& allPosts,
                                            const DogNames& dogs);

// The number of dogs entered in a race (posts that name a dog).
int dogCount(const std::vector<base::Post>& racePosts);

// The race navigator's caption: " Race Number: 3 of 12 - 8 dogs".
std::string raceCaption(int position, int count, int dogs);

// Why a race may not take a date and number that another race of the file
// already has.
std::string raceTakenMessage(base::Date date, int number);

}  // namespace vz::editing
