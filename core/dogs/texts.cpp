#include "core/dogs/texts.h"

namespace vz::dogs {

const char* deletionCaption(Deletion d) {
    switch (d) {
        case Deletion::RaceData:
            return "Delete Old Race Data";
        case Deletion::Dogs:
            return "Delete Old Dogs";
        case Deletion::Results:
            return "Delete Old Results and Race Files";
    }
    return "";
}

const char* deletionPrompt(Deletion d) {
    switch (d) {
        case Deletion::RaceData:
            return "Delete dogs' race data for races before:";
        case Deletion::Dogs:
            return "Delete dogs that have not raced since:";
        case Deletion::Results:
            return "Delete results and race files prior to:";
    }
    return "";
}

base::Date defaultDeletionDate(Deletion d, base::Date today) {
    return base::addDays(today, d == Deletion::Results ? -90 : -365);
}

base::Date confirmationThreshold(Deletion d, base::Date today) {
    return base::addDays(today, d == Deletion::Results ? -7 : -90);
}

bool needsConfirmation(Deletion d, base::Date chosen, base::Date today) {
    return chosen > confirmationThreshold(d, today);
}

namespace {

// The part shared by the question and the completion message.
std::string what(Deletion d, base::Date chosen) {
    const std::string date = base::shortDate(chosen);
    switch (d) {
        case Deletion::RaceData:
            return "race data before " + date;
        case Deletion::Dogs:
            return "dogs that have not raced since " + date;
        case Deletion::Results:
            return "results and race files prior to " + date;
    }
    return date;
}

}  // namespace

std::string confirmationQuestion(Deletion d, base::Date chosen) {
    return "Are you sure you want to delete all " + what(d, chosen) + "?";
}

std::string completionMessage(Deletion d, base::Date chosen) {
    return "Finished deleting " + what(d, chosen) + ".";
}

std::string workErrorMessage(const Error& e) {
    return std::string(e.what()) + " " + std::to_string(e.number());
}

}  // namespace vz::dogs
