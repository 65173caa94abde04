// check and backtest: how the ratings ran. `check` rates a processed race
// file as of its date and compares with the results later imports brought;
// `backtest` rates every past race the stored lines rebuild.

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/progress.h"
#include "core/analysis/backtest_report.h"
#include "core/analysis/check.h"
#include "core/analysis/walk_forward_report.h"
#include "core/base/error.h"
#include "core/base/questions.h"

namespace vz::cli {
namespace {

namespace fs = std::filesystem;

// The reports end their lines in CR LF; the terminal wants LF.
std::string forTerminal(std::string text) {
    std::erase(text, '\r');
    return text;
}

processing::TimeFactors factorsOf(const Context& ctx) {
    return {ctx.state.settings.TimeFactorL, ctx.state.settings.TimeFactorR};
}

struct CheckArgs {
    std::string raceFile;
    bool winChances = false;
};

int runCheck(Context& ctx, const CheckArgs& a) {
    analysis::CheckRequest rq;
    rq.paths = ctx.paths;
    rq.raceFile = fs::absolute(a.raceFile);
    rq.raceFileTitle = rq.raceFile.filename().string();
    rq.factors = factorsOf(ctx);
    rq.today = ctx.today;
    if (a.winChances) {
        try {
            rq.winChances = analysis::loadModel(analysis::modelFile(ctx.paths.appDir));
        } catch (const Error& e) {
            std::cerr << e.what() << "\n";
            return kExitFailure;
        }
    }
    analysis::CheckOutcome outcome;
    try {
        outcome = analysis::checkRaceFile(rq);
    } catch (const Error& e) {
        std::error_code ec;
        if (e.number() != Error::kFileNotFound || fs::exists(rq.raceFile, ec)) {
            throw;
        }
        std::cerr << missingRaceFileText(ctx, e.what()) << "\n";
        return kExitFailure;
    }
    std::cout << forTerminal(analysis::checkSummaryText(outcome.races));
    std::cout << "Report: " << outcome.report.string() << "\n";
    return kExitOk;
}

struct BacktestArgs {
    std::string from;
    std::string to;
    std::string grade;
    std::string distance;
    int minField = analysis::kDefaultMinField;
    std::string testFrom;
    double commission = 0;
    std::string csv;
    bool overwrite = false;
    bool winChances = false;
    std::string inputs{analysis::kDefaultInputs};
    int refitDays = analysis::kDefaultRefitDays;
    long warmUp = analysis::kDefaultWarmUp;
};

std::optional<base::Date> dateOption(const std::string& text, const char* name) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (auto d = base::fromIso(text)) {
        return d;
    }
    throw Error(dateFault(name, text));
}

int runBacktest(Context& ctx, const BacktestArgs& a) {
    analysis::BacktestRun run;
    run.paths = ctx.paths;
    run.today = ctx.today;
    analysis::BacktestOptions& o = run.request.options;
    try {
        o.from = dateOption(a.from, "--from");
        o.to = dateOption(a.to, "--to");
        o.grade = analysis::gradeOption(a.grade);
        if (!a.distance.empty()) {
            o.distance = analysis::distanceOption(a.distance);
        }
        o.minField = a.minField;
        o.testFrom = dateOption(a.testFrom, "--test-from");
        o.commission = a.commission;
        analysis::checkOptions(o);
        if (a.winChances) {
            analysis::WalkForwardOptions w;
            w.groups = analysis::parseInputGroups(a.inputs);
            w.refitDays = a.refitDays;
            w.warmUp = a.warmUp;
            analysis::checkWalkForwardOptions(w);
            run.winChances = w;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return kExitUsage;
    }
    run.request.factors = factorsOf(ctx);
    if (!a.csv.empty()) {
        const fs::path csv = fs::absolute(a.csv);
        run.csv = csv;
        // Refused whatever --overwrite says, before any question.
        if (const auto why = analysis::csvRefusal(run)) {
            std::cerr << *why << "\n";
            return kExitFailure;
        }
        std::error_code ec;
        if (fs::exists(csv, ec) &&
            !confirm(ctx, base::overwriteQuestion(csv.string()), a.overwrite)) {
            std::cerr << fmt::format(
                "The file {} already exists; give --overwrite to replace it.\n", csv.string());
            return kExitFailure;
        }
    }

    analysis::BacktestOutcome outcome;
    {
        Progress progress(ctx, "Backtesting, please wait...");
        run.request.progress = progress.callback();
        outcome = analysis::runBacktest(run);
    }
    std::cout << forTerminal(analysis::backtestSummaryText(outcome.tables));
    if (outcome.winChances) {
        std::cout << "\n"
                  << forTerminal(analysis::tableText(
                         analysis::walkForwardTables(*outcome.winChances).judgement));
    }
    std::cout << "Report: " << outcome.report.string() << "\n";
    if (run.csv) {
        std::cout << "CSV:    " << run.csv->string() << "\n";
    }
    return kExitOk;
}

const Registration reg([](CLI::App& root, std::vector<Command>& commands) {
    auto check = std::make_shared<CheckArgs>();
    CLI::App& c = addCommand(root, commands, "check",
                             "Check a race file against its results: rate each race as of "
                             "its date and compare with the finishes and odds imported since",
                             check, runCheck);
    c.add_option("RACEFILE", check->raceFile, "The race file (.rac)")
        ->required()
        ->check(nonEmpty());
    c.add_flag("--win-chances", check->winChances,
               "Show each dog's win chance from the fitted model");

    auto bt = std::make_shared<BacktestArgs>();
    CLI::App& b = addCommand(root, commands, "backtest",
                             "Rate every past race the stored lines rebuild, as of its date, "
                             "and report how the top picks ran",
                             bt, runBacktest);
    addRaceChoiceOptions(b, {bt->from, bt->to, bt->grade, bt->distance, bt->minField}, "rate",
                         true);
    b.add_option("--test-from", bt->testFrom,
                 "Races from this day on (YYYY-MM-DD) are the test period, the earlier "
                 "ones the development period; every table shows both")
        ->check(nonEmpty());
    b.add_option("--commission", bt->commission,
                 "Commission in % of a winning bet's net winnings (default 0)");
    b.add_option("--csv", bt->csv, "Also write one row per rated dog to this CSV file")
        ->check(nonEmpty());
    b.add_flag("--overwrite", bt->overwrite, "Replace the CSV file without asking");
    b.add_flag("--win-chances", bt->winChances,
               "Also price every race walk-forward and judge the chances");
    b.add_option("--inputs", bt->inputs,
                 "Groups of inputs of the win chances (default points,post,form)")
        ->check(nonEmpty());
    b.add_option("--refit-days", bt->refitDays, "Refit the model every N days (default 28)");
    b.add_option("--warm-up", bt->warmUp, "Races fitted before the first is priced (default 500)");
});

}  // namespace
}  // namespace vz::cli
