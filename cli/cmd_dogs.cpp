// The dog database clean-up: update-styles, zero-counters, delete-race-data,
// delete-dogs and delete-results.

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/progress.h"
#include "core/dogs/cleanup.h"
#include "core/dogs/running_style.h"
#include "core/dogs/summary.h"
#include "core/dogs/texts.h"

namespace vz::cli {
namespace {

struct DogArgs {
    bool listChanges = false;
    std::string date;
    bool yes = false;
};

std::optional<base::Date> parseDate(const std::string& option, const std::string& text) {
    auto d = base::fromIso(text);
    if (!d) {
        std::cerr << dateFault(option, text) << "\n";
    }
    return d;
}

int runUpdateStyles(Context& ctx, const DogArgs& a) {
    const base::Settings before = ctx.state.settings;
    dogs::StyleUpdateResult r;
    {
        Progress progress(ctx, dogs::kStyleBusyText);
        r = dogs::runStyleUpdate(ctx.paths, before, ctx.today, progress.callback());
    }
    ctx.state.settings = r.settings;
    std::cout << dogs::summaryText(dogs::styleUpdateSummary(before, r, ctx.today, a.listChanges));
    return kExitOk;
}

int runZero(Context& ctx, const DogArgs&) {
    long n = 0;
    {
        Progress progress(ctx, dogs::kZeroBusyText);
        n = dogs::zeroCounters(ctx.paths, progress.callback());
    }
    std::cout << dogs::summaryText(dogs::zeroCountersSummary(n));
    return kExitOk;
}

int runDeletion(Context& ctx, const DogArgs& a, dogs::Deletion kind, const char* option) {
    const auto chosen = parseDate(option, a.date);
    if (!chosen) {
        return kExitUsage;
    }
    if (dogs::needsConfirmation(kind, *chosen, ctx.today)) {
        const std::string question = dogs::confirmationQuestion(kind, *chosen);
        if (!a.yes && !ctx.interactive) {
            std::cerr << question << "\n"
                      << fmt::format(
                             "This date is later than {} and needs confirmation: run the "
                             "command on a terminal to answer, or give --yes. Nothing was "
                             "deleted.\n",
                             base::toIso(dogs::confirmationThreshold(kind, ctx.today)));
            return kExitFailure;
        }
        if (!confirm(ctx, question, a.yes)) {
            std::cerr << "Nothing was deleted.\n";
            return kExitFailure;
        }
    }
    long n = 0;
    {
        Progress progress(ctx, dogs::kDeleteBusyText);
        switch (kind) {
            case dogs::Deletion::RaceData:
                n = dogs::deleteRaceData(ctx.paths, *chosen, progress.callback());
                break;
            case dogs::Deletion::Dogs:
                n = dogs::deleteDogs(ctx.paths, *chosen, progress.callback());
                break;
            case dogs::Deletion::Results:
                n = dogs::deleteResults(ctx.paths, *chosen, progress.callback());
                break;
        }
    }
    std::cout << dogs::summaryText(dogs::deletionSummary(kind, *chosen, n));
    return kExitOk;
}

const Registration reg([](CLI::App& root, std::vector<Command>& commands) {
    auto args = std::make_shared<DogArgs>();

    addCommand(root, commands, "update-styles",
               "Update every dog's running style and the time factors TimeFactorL and TimeFactorR",
               args, runUpdateStyles)
        .add_flag("--list", args->listChanges, "List each dog whose style changed");
    addCommand(root, commands, "zero-counters",
               "Set every dog's starts, firsts, seconds and thirds to 0", args, runZero);

    struct DeletionCommand {
        const char* name;
        const char* help;
        const char* option;
        const char* optionHelp;
        dogs::Deletion kind;
    };
    const DeletionCommand deletions[] = {
        {"delete-race-data", "Delete the race lines dated before a date", "--before",
         "Lines dated before this day go; lines of the day stay (YYYY-MM-DD)",
         dogs::Deletion::RaceData},
        {"delete-dogs", "Delete the dogs that have not raced since a date, and dogs without lines",
         "--not-raced-since", "Dogs whose newest line is before this day go (YYYY-MM-DD)",
         dogs::Deletion::Dogs},
        {"delete-results", "Delete the files of the results folder last modified before a date",
         "--before", "Files last modified before this day go (YYYY-MM-DD)",
         dogs::Deletion::Results},
    };
    for (const DeletionCommand& s : deletions) {
        const dogs::Deletion kind = s.kind;
        const char* option = s.option;
        CLI::App& c = addCommand(root, commands, s.name, s.help, args,
                                 [kind, option](Context& ctx, const DogArgs& a) {
                                     return runDeletion(ctx, a, kind, option);
                                 });
        c.add_option(s.option, args->date, s.optionHelp)->required()->check(nonEmpty());
        c.add_flag("--yes", args->yes, "Answer Yes to the confirmation question");
    }
});

}  // namespace
}  // namespace vz::cli
