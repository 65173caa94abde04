// process: rate a race file into its results report, as the processing
// window does.

#include <spawn.h>

#include <filesystem>
#include <iostream>
#include <string>

#include "cli/command.h"
#include "cli/progress.h"
#include "core/analysis/win_model.h"
#include "core/base/error.h"
#include "core/processing/run.h"

extern char** environ;

namespace vz::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFailureTitle = "Error - unable to process race";

// Starts the desktop's text viewer on `file` without waiting for it. The path
// goes as one argument, so blanks in it need no quoting.
bool openInViewer(const fs::path& file) {
    std::string program = "xdg-open";
    std::string path = file.string();
    char* argv[] = {program.data(), path.data(), nullptr};
    pid_t pid = 0;
    return ::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0;
}

struct Options {
    std::string raceFile;
    bool open = false;
    bool winChances = false;
};

int runProcess(Context& ctx, const Options& opt) {
    processing::RunRequest rq;
    rq.paths = ctx.paths;
    // An empty name stays empty, for the run to refuse in words.
    rq.raceFile = opt.raceFile.empty() ? fs::path() : fs::absolute(opt.raceFile);
    rq.raceFileTitle = rq.raceFile.filename().string();
    rq.TimeFactorL = ctx.state.settings.TimeFactorL;
    rq.TimeFactorR = ctx.state.settings.TimeFactorR;
    rq.today = ctx.today;

    processing::RunOutcome outcome{};
    if (opt.winChances) {
        try {
            analysis::priceWithModel(rq, ctx.paths.appDir);
        } catch (const Error& e) {
            std::cerr << e.what() << "\n";
            return kExitFailure;
        }
    }
    try {
        Progress progress(ctx, "Processing, please wait...");
        rq.progress = progress.callback();
        outcome = processing::processRaceFile(rq);
    } catch (const Error& e) {
        std::error_code ec;
        if (e.number() == Error::kFileNotFound && !rq.raceFile.empty() &&
            !fs::exists(rq.raceFile, ec)) {
            // The missing file says it all: no number after it.
            std::cerr << kFailureTitle << "\n" << missingRaceFileText(ctx, e.what()) << "\n";
        } else {
            std::cerr << kFailureTitle << "\n" << e.what() << " " << e.number() << "\n";
        }
        return kExitFailure;
    }

    std::cout << outcome.file.string() << "\n";
    // The file is written whatever the viewer does: no failure of the run.
    if (opt.open && !openInViewer(outcome.file)) {
        std::cerr << "The text viewer (xdg-open) could not be started; open the file yourself.\n";
    }
    if (outcome.kind == processing::RunOutcome::Kind::DogsMissing) {
        std::cerr << "Some dogs of " << rq.raceFileTitle
                  << " are not in the dog database; see the error report.\n";
        return kExitDogsMissing;
    }
    return kExitOk;
}

const Registration reg([](CLI::App& root, std::vector<Command>& commands) {
    auto opt = std::make_shared<Options>();
    CLI::App& process =
        addCommand(root, commands, "process",
                   "Rate a race file: write its results report, or Error.txt when dogs are missing",
                   opt, runProcess);
    process.add_option("RACEFILE", opt->raceFile, "The race file (.rac)")->required();
    process.add_flag("--open", opt->open, "Open the written file in the text viewer");
    process.add_flag("--win-chances", opt->winChances,
                     "Add each dog's win chance and fair odds from the fitted model");
});

}  // namespace
}  // namespace vz::cli
