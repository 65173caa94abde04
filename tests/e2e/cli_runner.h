#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace vz::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built terminal tool with `args`, stdin from /dev/null (or from
// `input`), and waits for it. The environment is the test's own.
CliResult runCli(const std::vector<std::string>& args, const std::string& input = {});

// The same with another copy of the tool.
CliResult runCliAt(const std::filesystem::path& program, const std::vector<std::string>& args);

// The same with --app-dir and --profile-dir of a folder made by makeAppFolder.
CliResult runCliIn(const std::filesystem::path& root, const std::vector<std::string>& args,
                   const std::string& input = {});

// Starts every run at once (stdin from /dev/null) and waits for all of them;
// the results come in the order of `runs`.
std::vector<CliResult> runCliTogether(const std::vector<std::vector<std::string>>& runs);

// Runs the tool with stdin and stderr on a pseudo terminal (as a user at a
// terminal runs it) and stdout in a file; `err` holds what the terminal
// showed. `input` is typed on the terminal (without echo).
CliResult runCliOnTerminal(const std::vector<std::string>& args, const std::string& input = {});

// A run started without waiting for it (one to be killed, say).
struct StartedCli {
    std::unique_ptr<TempDir> io;  // its streams
    pid_t pid = -1;
};
StartedCli startCli(const std::vector<std::string>& args, const std::string& input = {});
// Waits for the run; its exit code is 128 + the signal when one ended it.
CliResult finishCli(StartedCli& run);

std::filesystem::path cliPath();

}  // namespace vz::test
