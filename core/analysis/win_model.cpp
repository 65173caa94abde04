#include "core/analysis/win_model.h"

#include <cmath>
#include <memory>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "core/analysis/report_text.h"
#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/text.h"
#include "core/base/version.h"

namespace vz::analysis {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kKind = "Vovoziruzu win-chance model";

// Inputs that differ between two dogs of one race somewhere in the set.
std::vector<bool> varying(const ChoiceSet& set) {
    std::vector<bool> out(static_cast<std::size_t>(set.inputs()), false);
    for (long r = 0; r < set.races(); ++r) {
        const long first = set.firstDog(r);
        const double* base = set.row(first);
        for (int j = 1; j < set.fieldSize(r); ++j) {
            const double* x = set.row(first + j);
            for (int i = 0; i < set.inputs(); ++i) {
                if (x[i] != base[i]) {
                    out[static_cast<std::size_t>(i)] = true;
                }
            }
        }
    }
    return out;
}

std::optional<std::string> optionalText(const Json& j, const char* key) {
    if (!j.contains(key) || j.at(key).is_null()) {
        return std::nullopt;
    }
    return j.at(key).get<std::string>();
}

std::optional<base::Date> optionalDate(const Json& j, const char* key) {
    const std::optional<std::string> text = optionalText(j, key);
    if (!text) {
        return std::nullopt;
    }
    if (auto d = base::fromIso(*text)) {
        return d;
    }
    throw std::runtime_error(fmt::format("\"{}\" is not a date", key));
}

Json dateJson(const std::optional<base::Date>& d) {
    return d ? Json(base::toIso(*d)) : Json(nullptr);
}

Json textJson(const std::optional<std::string>& t) {
    return t ? Json(*t) : Json(nullptr);
}

}  // namespace

double WinModel::pseudoR2() const {
    return nullLogLik < 0 ? 1.0 - logLik / nullLogLik : 0.0;
}

std::vector<double> WinModel::chancesOfRows(std::span<const double> rows, int fieldSize) const {
    Eigen::VectorXd b(static_cast<Eigen::Index>(inputs.size()));
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        b[static_cast<Eigen::Index>(i)] = inputs[i].used ? inputs[i].coef : 0.0;
    }
    return choiceChances(rows, fieldSize, b);
}

std::vector<double> WinModel::chances(std::span<const RatedDog> field) const {
    std::vector<double> rows;
    appendRaceInputs(groups, field, rows);
    return chancesOfRows(rows, static_cast<int>(field.size()));
}

WinModel fitWinModel(const ChoiceSet& set, const std::vector<InputGroup>& groups, double penalty,
                     const WinModel* previous, double tolerance) {
    if (!(penalty >= 0) || !std::isfinite(penalty)) {
        throw Error(fmt::format("The ridge penalty must be 0 or more, not {}.", penalty));
    }
    WinModel m;
    m.groups = groups;
    m.penalty = penalty;
    m.version = std::string(programVersion());
    for (const std::string& name : inputNames(groups)) {
        m.inputs.push_back({name, true, 0, 0});
    }
    if (static_cast<int>(m.inputs.size()) != set.inputs()) {
        throw Error("The rows of the fit do not hold the inputs of the groups chosen.");
    }
    const std::vector<bool> keep = varying(set);
    Eigen::VectorXd start(static_cast<Eigen::Index>(std::count(keep.begin(), keep.end(), true)));
    Eigen::Index at = 0;
    for (std::size_t i = 0; i < keep.size(); ++i) {
        if (!keep[i]) {
            m.inputs[i].used = false;
            m.notes.push_back(fmt::format(
                "{} is the same for every dog of every race fitted: left out.", m.inputs[i].name));
        } else {
            start[at++] =
                previous && previous->inputs.size() == keep.size() ? previous->inputs[i].coef : 0.0;
        }
    }
    const bool all = at == static_cast<Eigen::Index>(keep.size());
    // The last fit's curvature, grown with the races, guides a refit.
    std::optional<Eigen::MatrixXd> guess;
    if (previous && previous->curvature.rows() == at && previous->races > 0) {
        const Eigen::MatrixXd ridge = penalty * Eigen::MatrixXd::Identity(at, at);
        guess = ridge + (previous->curvature - ridge) * (static_cast<double>(set.races()) /
                                                         static_cast<double>(previous->races));
    }
    const Eigen::MatrixXd* hint = guess ? &*guess : nullptr;
    const LogitFit fit =
        all ? fitConditionalLogit(set, penalty, start, tolerance, hint)
            : fitConditionalLogit(set.select(keep), penalty, start, tolerance, hint);
    at = 0;
    for (std::size_t i = 0; i < keep.size(); ++i) {
        if (keep[i]) {
            m.inputs[i].coef = fit.coef[at];
            m.inputs[i].stdErr = fit.stdErr[at];
            ++at;
        }
    }
    m.converged = fit.converged;
    m.curvature = fit.curvature;
    if (!fit.converged) {
        m.notes.push_back("Newton's method did not settle: the coefficients may be rough.");
    }
    m.races = set.races();
    m.dogs = set.dogs();
    m.logLik = fit.logLik;
    m.nullLogLik = nullLogLikelihood(set);
    return m;
}

std::string modelJson(const WinModel& m) {
    Json j;
    j["kind"] = kKind;
    j["version"] = m.version;
    j["inputs"] = inputGroupsText(m.groups);
    j["penalty"] = m.penalty;
    j["from"] = dateJson(m.firstDay);
    j["to"] = dateJson(m.lastDay);
    j["chosenFrom"] = dateJson(m.options.from);
    j["chosenTo"] = dateJson(m.options.to);
    j["grade"] = textJson(m.options.grade);
    j["distance"] = textJson(m.options.distance);
    j["minField"] = m.options.minField;
    j["races"] = m.races;
    j["dogs"] = m.dogs;
    j["deadHeats"] = m.deadHeats;
    j["logLikelihood"] = m.logLik;
    j["nullLogLikelihood"] = m.nullLogLik;
    j["pseudoR2"] = m.pseudoR2();
    j["converged"] = m.converged;
    Json coefs = Json::array();
    for (const ModelInput& in : m.inputs) {
        coefs.push_back({{"input", in.name},
                         {"used", in.used},
                         {"coefficient", in.coef},
                         {"stdError", in.stdErr}});
    }
    j["coefficients"] = coefs;
    j["notes"] = m.notes;
    return j.dump(2) + "\n";
}

WinModel modelFromJson(std::string_view text, const std::filesystem::path& file) {
    const auto damaged = [&](std::string_view why) {
        return Error(fmt::format("The model file {} is damaged ({}); fit the model again.",
                                 file.string(), why),
                     Error::kTypeMismatch);
    };
    Json j;
    try {
        j = Json::parse(text);
    } catch (const std::exception&) {
        throw damaged("it is not readable JSON");
    }
    if (!j.is_object() || !j.contains("kind") || j["kind"] != kKind) {
        throw Error(fmt::format("The file {} is not a win-chance model file.", file.string()),
                    Error::kTypeMismatch);
    }
    WinModel m;
    try {
        m.groups = parseInputGroups(j.at("inputs").get<std::string>());
        m.version = j.at("version").get<std::string>();
        m.penalty = j.at("penalty").get<double>();
        m.firstDay = optionalDate(j, "from");
        m.lastDay = optionalDate(j, "to");
        m.options.from = optionalDate(j, "chosenFrom");
        m.options.to = optionalDate(j, "chosenTo");
        m.options.grade = optionalText(j, "grade");
        m.options.distance = optionalText(j, "distance");
        m.options.minField = j.at("minField").get<int>();
        m.races = j.at("races").get<long>();
        m.dogs = j.at("dogs").get<long>();
        m.deadHeats = j.at("deadHeats").get<long>();
        m.logLik = j.at("logLikelihood").get<double>();
        m.nullLogLik = j.at("nullLogLikelihood").get<double>();
        m.converged = j.at("converged").get<bool>();
        for (const Json& c : j.at("coefficients")) {
            ModelInput in{c.at("input").get<std::string>(), c.at("used").get<bool>(),
                          c.at("coefficient").get<double>(), c.at("stdError").get<double>()};
            if (!std::isfinite(in.coef) || !std::isfinite(in.stdErr)) {
                throw std::runtime_error("a coefficient is not a number");
            }
            m.inputs.push_back(std::move(in));
        }
        m.notes = j.at("notes").get<std::vector<std::string>>();
    } catch (const Error& e) {
        throw damaged(e.what());
    } catch (const std::exception& e) {
        throw damaged(e.what());
    }
    const std::vector<std::string> names = inputNames(m.groups);
    if (names.size() != m.inputs.size()) {
        throw damaged("its coefficients do not match its inputs");
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] != m.inputs[i].name) {
            throw damaged("its coefficients do not match its inputs");
        }
    }
    return m;
}

void saveModel(const std::filesystem::path& file, const WinModel& model) {
    base::writeFileAtomic(file, modelJson(model), "model file");
}

WinModel loadModel(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        throw Error(fmt::format("There is no model file {}; fit the model first.", file.string()),
                    Error::kFileNotFound);
    }
    constexpr std::uintmax_t kMaxModelBytes = 1 << 20;
    return modelFromJson(base::readRegularFile(file, kMaxModelBytes, "model file"), file);
}

std::vector<double> priceCardRace(const WinModel& model, const processing::RaceCard& card,
                                  const processing::RatedRace& rated) {
    return model.chances(cardDogs(card, rated));
}

std::string pricedByLine(const WinModel& m, const std::filesystem::path& file) {
    return fmt::format(
        "Win% and Fair from the model {} ({} races, {} to {})", file.filename().string(), m.races,
        m.firstDay ? base::toIso(*m.firstDay) : "-", m.lastDay ? base::toIso(*m.lastDay) : "-");
}

void priceWithModel(processing::RunRequest& request, const std::filesystem::path& appDir) {
    const std::filesystem::path file = modelFile(appDir);
    auto model = std::make_shared<const WinModel>(loadModel(file));
    request.winChances = [model](const processing::RaceCard& card,
                                 const processing::RatedRace& rated) {
        return priceCardRace(*model, card, rated);
    };
    request.pricedBy = pricedByLine(*model, file);
}

bool reportColumnsOn(const std::filesystem::path& appDir) {
    const std::filesystem::path file = appDir / std::string(kReportChoiceFileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return false;
    }
    constexpr std::uintmax_t kMostBytes = 64;
    try {
        std::string text = base::readRegularFile(file, kMostBytes, "win chances choice");
        std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
        return base::trim(text) == "1";
    } catch (const Error&) {
        return false;
    }
}

void setReportColumnsOn(const std::filesystem::path& appDir, bool on) {
    base::writeFileAtomic(appDir / std::string(kReportChoiceFileName), on ? "1\r\n" : "0\r\n",
                          "win chances choice");
}

Table coefficientTable(const WinModel& m) {
    Table t;
    t.labelHeader = "Input";
    t.labelWidth = 16;
    t.columns = {{"Coefficient", 12}, {"Std error", 11}, {"z", 9}};
    for (const ModelInput& in : m.inputs) {
        if (!in.used) {
            t.add(in.name, {{"left out"}});
            continue;
        }
        t.add(in.name, {{fmt::format("{:.4f}", in.coef), fmt::format("{:.4f}", in.stdErr),
                         in.stdErr > 0 ? fmt::format("{:.2f}", in.coef / in.stdErr) : "-"}});
    }
    return t;
}

std::string modelTable(const WinModel& m) {
    std::string out;
    addLine(out,
            fmt::format("Inputs: {}   ridge penalty: {}", inputGroupsText(m.groups), m.penalty));
    addLine(out, fmt::format("Races fitted: {} ({} dogs); left out for a dead heat: {}", m.races,
                             m.dogs, m.deadHeats));
    addLine(out, fmt::format("Days fitted: {} to {}", m.firstDay ? base::toIso(*m.firstDay) : "-",
                             m.lastDay ? base::toIso(*m.lastDay) : "-"));
    addLine(out, fmt::format("Log-likelihood: {:.2f}   null model: {:.2f}   pseudo-R2: {:.4f}",
                             m.logLik, m.nullLogLik, m.pseudoR2()));
    addLine(out, "");
    out += tableText(coefficientTable(m));
    for (const std::string& note : m.notes) {
        addLine(out, note);
    }
    return out;
}

FitOutcome fitHistory(const store::DogDatabase& db, const FitRequest& rq) {
    if (rq.groups.empty()) {
        throw Error("Choose at least one group of inputs.");
    }
    const int k = static_cast<int>(inputNames(rq.groups).size());
    ChoiceSet set(k);
    FitOutcome out;
    long deadHeats = 0;
    std::optional<base::Date> first;
    std::optional<base::Date> last;
    std::vector<double> rows;
    if (rq.design) {
        out.designCsv = "Date,Race,Distance,Grade,Post,Dog,Won";
        for (const std::string& name : inputNames(rq.groups)) {
            out.designCsv += "," + csvField(name);
        }
        out.designCsv += "\r\n";
    }
    BacktestRequest bt;
    bt.options = rq.options;
    bt.factors = rq.factors;
    bt.progress = rq.progress;
    bt.cancelled = rq.cancelled;
    bt.onRace = [&](const RatedPastRace& r) {
        if (rq.onRace) {
            rq.onRace(r);
        }
        int winner = -1;
        int winners = 0;
        for (std::size_t i = 0; i < r.dogs.size(); ++i) {
            if (r.dogs[i].result.won()) {
                winner = static_cast<int>(i);
                ++winners;
            }
        }
        if (winners != 1) {
            deadHeats += winners > 1 ? 1 : 0;
            return;
        }
        rows.clear();
        appendRaceInputs(rq.groups, r.dogs, rows);
        set.addRace(rows, winner);
        if (!first) {
            first = r.race.RaceDate;
        }
        last = r.race.RaceDate;
        if (rq.design) {
            for (std::size_t i = 0; i < r.dogs.size(); ++i) {
                const RatedDog& d = r.dogs[i];
                out.designCsv +=
                    fmt::format("{},{},{},{},{},{},{}", base::toIso(*r.race.RaceDate),
                                r.race.RaceNum.value_or(0), csvField(r.race.Distance.value_or("")),
                                csvField(r.race.Grade.value_or("")), d.post, csvField(d.dogName),
                                d.result.won() ? 1 : 0);
                for (int c = 0; c < k; ++c) {
                    out.designCsv += fmt::format(
                        ",{}", rows[i * static_cast<std::size_t>(k) + static_cast<std::size_t>(c)]);
                }
                out.designCsv += "\r\n";
            }
        }
    };
    const BacktestSummary summary = backtest(db, bt);
    if (summary.cancelled) {
        out.cancelled = true;
        return out;
    }
    if (set.races() < rq.minRaces) {
        throw Error(
            fmt::format("Only {} races can be fitted; a fit needs at least {}. Nothing "
                        "was written.",
                        set.races(), rq.minRaces));
    }
    out.model = fitWinModel(set, rq.groups, rq.penalty);
    out.model.options = rq.options;
    out.model.deadHeats = deadHeats;
    out.model.firstDay = first;
    out.model.lastDay = last;
    return out;
}

}  // namespace vz::analysis
