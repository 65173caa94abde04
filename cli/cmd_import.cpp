// import: read an outside race program into the dog database and a new race
// file, one subcommand per source format.

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/progress.h"
#include "core/base/error.h"
#include "core/base/questions.h"
#include "core/editing/rules.h"
#include "core/import/import.h"
#include "core/import/registry.h"
#include "core/import/window_texts.h"
#include "core/store/new_race_file.h"

namespace vz::cli {
namespace {

namespace fs = std::filesystem;

struct FormatArgs {
    const import::Format* format = nullptr;
    CLI::App* app = nullptr;
    std::vector<std::string> inputs;
    std::string raceFile;
    bool overwrite = false;
};

struct ImportArgs {
    std::vector<std::unique_ptr<FormatArgs>> formats;
};

int runFormat(Context& ctx, const FormatArgs& a) {
    const import::FormatInfo& info = a.format->info();
    import::ImportRequest req;
    req.format = info.key;
    for (const std::string& in : a.inputs) {
        req.inputs.push_back(fs::absolute(in));
    }
    if (info.writesRaceFile) {
        // As in the windows: a name without an extension gets ".rac".
        const fs::path out = fs::absolute(editing::withRaceFileExtension(a.raceFile));
        if (const auto why = store::newRaceFileRefusal(ctx.paths, out)) {
            std::cerr << *why << "\n";
            return kExitFailure;
        }
        std::error_code ec;
        if (fs::exists(out, ec)) {
            if (!confirm(ctx, base::overwriteQuestion(out.string()), a.overwrite)) {
                std::cerr << fmt::format(
                    "The race file {} already exists; give --overwrite to replace it.\n",
                    out.string());
                return kExitFailure;
            }
        }
        req.raceFile = out;
    }
    req.paths = ctx.paths;
    req.today = ctx.today;

    import::ImportSummary s;
    try {
        Progress progress(ctx, "Importing, please wait...");
        req.progress = progress.callback();
        s = import::runImport(req);
    } catch (const import::InputsSwapped&) {
        std::cerr << fmt::format(
            "The {} files are in each other's place: give the {} file first, "
            "then the {} file.\n",
            info.sourceName, info.inputs.front().argName, info.inputs.back().argName);
        return kExitFailure;
    } catch (const import::ImportFailed& e) {
        for (const std::string& line : e.lines()) {
            std::cerr << line << "\n";
        }
        // Which check failed, unless the cause above already said it.
        if (e.cause().empty() && !e.detail().empty()) {
            std::cerr << fmt::format("Not read as {}: {}.\n", info.sourceName, e.detail());
        }
        return kExitFailure;
    }

    std::cout << info.completionText << "\n";
    if (info.writesRaceFile) {
        // The menu item of the windows, and this tool's own command.
        std::cout << "You should run 'Update Running Style' (update-styles) before processing a "
                     "race.\n";
    }
    for (const std::string& line : import::summaryLines(s, info.writesRaceFile, true)) {
        std::cout << line << "\n";
    }
    return kExitOk;
}

// Where the sample programs of every format lie: beside the shipped data
// files (installed, /usr/share/vovoziruzu/samples).
fs::path samplesFolder() {
    return base::findProgramFolders(base::executableFolder()).shippedDir / "samples";
}

// One line per format, tab-separated; ends the run like --help.
[[noreturn]] void listFormats() {
    const fs::path samples = samplesFolder();
    for (const import::Format* f : import::allFormats()) {
        const import::FormatInfo& info = f->info();
        std::cout << info.key << '\t' << info.sourceName.substr(0, info.sourceName.find('/'))
                  << '\t' << (info.writesRaceFile ? "card" : "no card");
        for (const import::InputSpec& in : info.inputs) {
            std::cout << '\t' << (samples / in.sample).string();
        }
        std::cout << '\n';
    }
    throw CLI::Success();
}

const Registration reg([](CLI::App& root, std::vector<Command>& commands) {
    auto args = std::make_shared<ImportArgs>();
    Command cmd;
    cmd.app = root.add_subcommand(
        "import", "Import a race program into the dog database and a new race file");
    cmd.app->require_subcommand(1);
    cmd.app->footer("Sample programs of every format: " + samplesFolder().string());
    // For scripts (the demo): the formats of the registry, without an
    // application folder.
    cmd.app
        ->add_flag_callback(
            "--formats", [] { listFormats(); },
            "List the formats for scripts, one a line, tab-separated: the command, the "
            "source's short name, \"card\" or \"no card\", the paths of its sample files")
        ->trigger_on_parse();
    for (const import::Format* f : import::allFormats()) {
        const import::FormatInfo& info = f->info();
        auto a = std::make_unique<FormatArgs>();
        a->format = f;
        a->app = cmd.app->add_subcommand(info.key, info.menuLabel);
        // One positional argument per input file, named as the format names it
        // (SETUP and LINES for DogPak/QuickDog). The vector is sized first, so
        // the references CLI11 keeps stay valid.
        a->inputs.resize(info.inputs.size());
        for (std::size_t k = 0; k < info.inputs.size(); ++k) {
            const import::InputSpec& in = info.inputs[k];
            a->app->add_option(in.argName, a->inputs[k], in.dialogTitle)
                ->required()
                ->check(CLI::ExistingFile);
        }
        if (info.writesRaceFile) {
            a->app
                ->add_option("--race-file", a->raceFile,
                             "The new race file, made from RaceTemplate.tmp")
                ->required()
                ->check(nonEmpty());
            a->app->add_flag("--overwrite", a->overwrite, "Replace an existing race file");
        }
        args->formats.push_back(std::move(a));
    }
    cmd.run = [args](Context& ctx) {
        for (const auto& a : args->formats) {
            if (a->app->parsed()) {
                return runFormat(ctx, *a);
            }
        }
        return static_cast<int>(kExitUsage);
    };
    commands.push_back(cmd);
});

}  // namespace
}  // namespace vz::cli
