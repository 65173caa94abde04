#pragma once

// The terminal tool's commands. Each command file registers itself with a
// static `Registration`, so adding a command means adding one file to
// cli/CMakeLists.txt and nothing else.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <CLI/CLI.hpp>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/store/startup.h"

namespace vz::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailure = 1,
    kExitUsage = 2,
    kExitDogsMissing = 3,
};

// What every command gets: the folders, the run's today, and the program
// state the start-up procedure filled.
struct Context {
    base::AppPaths paths;
    // Where the programs and the shipped files lie; whether --app-dir was
    // left out.
    base::ProgramFolders programs;
    bool appDirIsDefault = false;
    base::Date today;
    store::ProgramState state;
    // stdin and stderr are both terminals: questions may be asked and
    // progress shown.
    bool interactive = false;
};

struct Command {
    CLI::App* app = nullptr;
    std::function<int(Context&)> run;
    // The command may be given an application folder that does not exist yet.
    bool createsAppDir = false;
};

using Registrar = std::function<void(CLI::App& root, std::vector<Command>& commands)>;

struct Registration {
    explicit Registration(Registrar registrar);
};

std::vector<Registrar>& registrars();

// Adds the command `name`: its options fill `*args`, which `run` reads when
// the command is given. Returns the command's parser, for its options.
template <typename Args>
CLI::App& addCommand(CLI::App& root, std::vector<Command>& commands, std::string name,
                     std::string help, std::shared_ptr<Args> args,
                     std::type_identity_t<std::function<int(Context&, const Args&)>> run) {
    Command c;
    c.app = root.add_subcommand(std::move(name), std::move(help));
    c.run = [args = std::move(args), run = std::move(run)](Context& ctx) {
        return run(ctx, *args);
    };
    commands.push_back(std::move(c));
    return *commands.back().app;
}

// After a failed parse: when the command line stops at a word that is not a
// command (a typo: "proces", "import rosnett") or leaves out a needed one,
// what to tell the user, naming the word and the valid commands.
std::optional<std::string> commandWordFault(const CLI::App& root);

// Refuses an empty value (`--csv ''`), which would otherwise read as the
// option left out, or reach the file system as no name at all.
const CLI::Validator& nonEmpty();

// --from, --to, --grade, --distance and --min-field: the past races a
// command works on, the help saying what it does to them (`verb`: "rate",
// "fit"). With `refuseEmpty` the four texts refuse an empty value.
struct RaceChoice {
    std::string& from;
    std::string& to;
    std::string& grade;
    std::string& distance;
    int& minField;
};
void addRaceChoiceOptions(CLI::App& app, const RaceChoice& choice, std::string_view verb,
                          bool refuseEmpty);

// What to say of a date option that could not be read: a date in the form
// YYYY-MM-DD that no calendar has (2026-11-31) is called impossible.
std::string dateFault(std::string_view option, std::string_view text);

// A race file that does not exist: the message, then where race files live.
std::string missingRaceFileText(const Context& ctx, const std::string& message);

// Asks a Yes/No question on the terminal. Without a terminal the answer is
// No and the caller refuses; `--yes` answers Yes without asking.
bool confirm(const Context& ctx, const std::string& question, bool assumeYes);

}  // namespace vz::cli
