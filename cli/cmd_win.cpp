// fit: the win-chance model fitted on the rated past races, written to the
// application folder for processing to price cards with.

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/progress.h"
#include "core/analysis/win_model.h"
#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/output_guard.h"
#include "core/base/questions.h"
#include "core/store/dog_database.h"

namespace vz::cli {
namespace {

namespace fs = std::filesystem;

struct FitArgs {
    std::string from;
    std::string to;
    std::string grade;
    std::string distance;
    int minField = analysis::kDefaultMinField;
    std::string inputs{analysis::kDefaultInputs};
    double penalty = analysis::kDefaultPenalty;
    std::string design;
    bool overwrite = false;
};

std::optional<base::Date> dateArg(const std::string& text, const char* name) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (auto d = base::fromIso(text)) {
        return d;
    }
    throw Error(fmt::format("{}: not a date in the form YYYY-MM-DD: {}", name, text));
}

int runFit(Context& ctx, const FitArgs& a) {
    analysis::FitRequest rq;
    analysis::BacktestOptions& o = rq.options;
    try {
        o.from = dateArg(a.from, "--from");
        o.to = dateArg(a.to, "--to");
        o.grade = analysis::gradeOption(a.grade);
        if (!a.distance.empty()) {
            o.distance = analysis::distanceOption(a.distance);
        }
        o.minField = a.minField;
        analysis::checkOptions(o);
        rq.groups = analysis::parseInputGroups(a.inputs);
        if (!(a.penalty >= 0)) {
            throw Error(
                fmt::format("--penalty: the ridge penalty must be 0 or more, not {}.", a.penalty));
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return kExitUsage;
    }
    rq.penalty = a.penalty;
    rq.factors = {ctx.state.settings.TimeFactorL, ctx.state.settings.TimeFactorR};
    std::optional<fs::path> design;
    if (!a.design.empty()) {
        design = fs::absolute(a.design);
        if (const auto why = base::outputRefusal(ctx.paths, *design, base::OutputKind::Other,
                                                 "the design file")) {
            std::cerr << *why << "\n";
            return kExitFailure;
        }
        std::error_code ec;
        if (fs::exists(*design, ec) &&
            !confirm(ctx, base::overwriteQuestion(design->string()), a.overwrite)) {
            std::cerr << fmt::format(
                "The file {} already exists; give --overwrite to replace it.\n", design->string());
            return kExitFailure;
        }
        rq.design = true;
    }

    analysis::FitOutcome outcome;
    try {
        const store::DogDatabase db(ctx.paths.dogDatabase(), store::OpenMode::ReadOnly);
        Progress progress(ctx, "Fitting, please wait...");
        rq.progress = progress.callback();
        outcome = analysis::fitHistory(db, rq);
    } catch (const Error& e) {
        std::cerr << e.what() << "\n";
        return kExitFailure;
    }
    const fs::path file = analysis::modelFile(ctx.paths.appDir);
    analysis::saveModel(file, outcome.model);
    if (design) {
        base::writeFileAtomic(*design, outcome.designCsv, "design file");
    }
    std::string table = analysis::modelTable(outcome.model);
    std::erase(table, '\r');
    std::cout << table;
    std::cout << "Model:  " << file.string() << "\n";
    if (design) {
        std::cout << "Design: " << design->string() << "\n";
    }
    return kExitOk;
}

const Registration reg([](CLI::App& root, std::vector<Command>& commands) {
    auto args = std::make_shared<FitArgs>();
    CLI::App& c = addCommand(root, commands, "fit",
                             "Fit the win-chance model on the rated past races and write it "
                             "to the application folder",
                             args, runFit);
    addRaceChoiceOptions(c, {args->from, args->to, args->grade, args->distance, args->minField},
                         "fit", false);
    c.add_option("--inputs", args->inputs,
                 "Groups of inputs: score, points, figures, post, alerts, form, style "
                 "(default points,post,form)");
    c.add_option("--penalty", args->penalty, "Ridge penalty (default 1)");
    c.add_option("--design", args->design,
                 "Also write the fitted rows, one per dog, to this CSV file")
        ->check(nonEmpty());
    c.add_flag("--overwrite", args->overwrite, "Replace the design file without asking");
});

}  // namespace
}  // namespace vz::cli
