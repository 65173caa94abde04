#include "tests/e2e/cli_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "tests/support/test_support.h"

namespace vz::test {
namespace fs = std::filesystem;

fs::path cliPath() {
    return fs::path(VZ_CLI_PATH);
}

CliResult runCli(const std::vector<std::string>& args, const std::string& input) {
    TempDir io;
    const fs::path in = io / "stdin";
    const fs::path out = io / "stdout";
    const fs::path err = io / "stderr";
    writeText(in, input);

    std::vector<std::string> argvText{cliPath().string()};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        const int fdIn = ::open(in.c_str(), O_RDONLY);
        const int fdOut = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int fdErr = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fdIn < 0 || fdOut < 0 || fdErr < 0) {
            ::_exit(127);
        }
        ::dup2(fdIn, STDIN_FILENO);
        ::dup2(fdOut, STDOUT_FILENO);
        ::dup2(fdErr, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readText(out);
    result.err = readText(err);
    return result;
}

CliResult runCliIn(const fs::path& root, const std::vector<std::string>& args,
                   const std::string& input) {
    std::vector<std::string> all{"--app-dir", (root / "app").string(), "--profile-dir",
                                 (root / "profile").string()};
    all.insert(all.end(), args.begin(), args.end());
    return runCli(all, input);
}

}  // namespace vz::test
