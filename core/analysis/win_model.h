#pragma once

// A win-chance model: the conditional logit fitted on the user's own rated
// races, kept as a JSON text file in the application folder, and the fit
// over the history that makes it.

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/backtest.h"
#include "core/analysis/clogit.h"
#include "core/analysis/table.h"
#include "core/analysis/win_inputs.h"
#include "core/base/dates.h"
#include "core/processing/run.h"
#include "core/store/dog_database.h"

namespace vz::analysis {

// The ridge penalty: small beside the hundreds of races a fit needs, large
// enough to keep an input that rarely varies from running away.
inline constexpr double kDefaultPenalty = 1.0;
inline constexpr long kMinFitRaces = 500;
inline constexpr std::string_view kModelFileName = "WinChances.json";

// The model file of an application folder.
inline std::filesystem::path modelFile(const std::filesystem::path& appDir) {
    return appDir / std::string(kModelFileName);
}

struct ModelInput {
    std::string name;
    bool used = true;  // false: it never varied within a race
    double coef = 0;
    double stdErr = 0;
};

struct WinModel {
    std::vector<InputGroup> groups;
    std::vector<ModelInput> inputs;  // every input of the groups, in order
    double penalty = kDefaultPenalty;
    BacktestOptions options;  // the races chosen
    long races = 0;           // races fitted
    long dogs = 0;
    long deadHeats = 0;  // races left out of the fit: more than one winner
    double logLik = 0;
    double nullLogLik = 0;  // every dog of a race equal
    std::optional<base::Date> firstDay;
    std::optional<base::Date> lastDay;
    std::string version;  // of the program that fitted it
    bool converged = true;
    std::vector<std::string> notes;
    // The fit's curvature over the inputs used, for the next refit to start
    // from; not kept in the file.
    Eigen::MatrixXd curvature;

    // 1 - LL / LL0; 0 without races.
    double pseudoR2() const;
    // Each dog's chance of winning, in the order of `dogs`.
    std::vector<double> chances(std::span<const RatedDog> field) const;
    // The same from rows of every input of the groups.
    std::vector<double> chancesOfRows(std::span<const double> rows, int fieldSize) const;
};

// Fits `set` (rows of every input of `groups`): an input that is the same for
// every dog of every race is left out with a note. `previous` (a model of the
// same groups) starts Newton's method from its coefficients.
WinModel fitWinModel(const ChoiceSet& set, const std::vector<InputGroup>& groups, double penalty,
                     const WinModel* previous = nullptr, double tolerance = kFitTolerance);

// The model as a person reads it, and back. loadModel throws vz::Error
// naming the file when it is missing, damaged or not a model file.
std::string modelJson(const WinModel& model);
WinModel modelFromJson(std::string_view text, const std::filesystem::path& file);
void saveModel(const std::filesystem::path& file, const WinModel& model);
WinModel loadModel(const std::filesystem::path& file);

// A card race as processing rated it, priced: a chance per dog along
// rated.finalOrder.
std::vector<double> priceCardRace(const WinModel& model, const processing::RaceCard& card,
                                  const processing::RatedRace& rated);
// The line under a priced race: which model file priced it.
std::string pricedByLine(const WinModel& model, const std::filesystem::path& file);

// Has `request` price every race with the model of `appDir` (Win% and Fair
// on the report). Throws vz::Error naming the model file when it is
// missing or damaged.
void priceWithModel(processing::RunRequest& request, const std::filesystem::path& appDir);

// Whether the main program's reports carry Win% and Fair: "1" in
// WinChances.ini beside the settings file; off without the file or with
// anything else in it.
inline constexpr std::string_view kReportChoiceFileName = "WinChances.ini";
bool reportColumnsOn(const std::filesystem::path& appDir);
void setReportColumnsOn(const std::filesystem::path& appDir, bool on);

// One row per input: coefficient, standard error, z ("left out" for an
// input that never varied).
Table coefficientTable(const WinModel& model);
// The text the terminal prints: counts, likelihoods, the coefficients.
std::string modelTable(const WinModel& model);

struct FitRequest {
    BacktestOptions options;
    processing::TimeFactors factors;
    std::vector<InputGroup> groups;
    double penalty = kDefaultPenalty;
    long minRaces = kMinFitRaces;
    bool design = false;  // also give the fitted rows as CSV
    base::Progress progress;
    std::function<bool()> cancelled;
    // Each rated race, before it is fitted; may be empty.
    std::function<void(const RatedPastRace&)> onRace;
};

struct FitOutcome {
    WinModel model;
    std::string designCsv;  // when asked
    bool cancelled = false;
};

// Rates the chosen races as the backtest does and fits them. Throws vz::Error
// when fewer than request.minRaces races can be fitted; writes nothing.
FitOutcome fitHistory(const store::DogDatabase& db, const FitRequest& request);

}  // namespace vz::analysis
