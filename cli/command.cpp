#include "cli/command.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include <fmt/format.h>

namespace vz::cli {

std::vector<Registrar>& registrars() {
    static std::vector<Registrar> all;
    return all;
}

Registration::Registration(Registrar registrar) {
    registrars().push_back(std::move(registrar));
}

std::optional<std::string> commandWordFault(const CLI::App& root) {
    // Down the chain of commands given, to the last one.
    const CLI::App* at = &root;
    std::string path;
    for (;;) {
        const auto given = at->get_subcommands([](const CLI::App* a) { return a->parsed(); });
        if (given.empty()) {
            break;
        }
        at = given.front();
        path += (path.empty() ? "" : " ") + at->get_name();
    }
    const auto choices = at->get_subcommands([](const CLI::App*) { return true; });
    if (choices.empty()) {
        return std::nullopt;  // a command's own arguments: the parser's message says it
    }
    std::string list;
    for (const CLI::App* c : choices) {
        list += (list.empty() ? "" : ", ") + c->get_name();
    }
    const std::string of = path.empty() ? "" : " of " + path;
    const std::vector<std::string> rest = at->remaining();
    if (rest.empty()) {
        return fmt::format("A command{} is needed. The commands{} are: {}.", of, of, list);
    }
    if (rest.front().starts_with("-")) {
        return std::nullopt;
    }
    return fmt::format("Unknown command \"{}\"{}. The commands{} are: {}.", rest.front(),
                       path.empty() ? "" : " after " + path, of, list);
}

void addRaceChoiceOptions(CLI::App& app, const RaceChoice& choice, std::string_view verb,
                          bool refuseEmpty) {
    std::string capital(verb);
    capital.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(capital.front())));
    CLI::Option* texts[] = {
        app.add_option("--from", choice.from,
                       fmt::format("First race day to {} (YYYY-MM-DD)", verb)),
        app.add_option("--to", choice.to, fmt::format("Last race day to {} (YYYY-MM-DD)", verb)),
        app.add_option("--grade", choice.grade,
                       fmt::format("{} only races of this grade (as stored)", capital)),
        app.add_option("--distance", choice.distance,
                       fmt::format("{} only races of this distance: S, L or R", capital)),
    };
    if (refuseEmpty) {
        for (CLI::Option* option : texts) {
            option->check(nonEmpty());
        }
    }
    app.add_option("--min-field", choice.minField, "Dogs a race needs at least (default 5)");
}

const CLI::Validator& nonEmpty() {
    static const CLI::Validator kNonEmpty(
        [](const std::string& value) {
            return value.empty() ? std::string(
                                       "the value is empty: give one, or leave the "
                                       "option out")
                                 : std::string();
        },
        "", "NONEMPTY");
    return kNonEmpty;
}

std::string dateFault(std::string_view option, std::string_view text) {
    const bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-' &&
                        std::all_of(text.begin(), text.end(), [](char c) {
                            return c == '-' || std::isdigit(static_cast<unsigned char>(c));
                        });
    if (shaped) {
        return fmt::format("{}: {} is an impossible date", option, text);
    }
    return fmt::format("{}: not a date in the form YYYY-MM-DD: {}", option, text);
}

std::string missingRaceFileText(const Context& ctx, const std::string& message) {
    return fmt::format("{}\nRace files are kept in the application folder's Data folder: {}",
                       message, ctx.paths.dataDir().string());
}

bool confirm(const Context& ctx, const std::string& question, bool assumeYes) {
    if (assumeYes) {
        return true;
    }
    if (!ctx.interactive) {
        return false;
    }
    std::cerr << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

}  // namespace vz::cli
