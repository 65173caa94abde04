#include "tests/e2e/cli_runner.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "tests/support/test_support.h"

namespace vz::test {
namespace fs = std::filesystem;

fs::path cliPath() {
    return fs::path(VZ_CLI_PATH);
}

namespace {

std::vector<std::string> fullArgv(const std::vector<std::string>& args,
                                  const fs::path& program = cliPath()) {
    std::vector<std::string> argvText{program.string()};
    argvText.insert(argvText.end(), args.begin(), args.end());
    return argvText;
}

StartedCli start(const std::vector<std::string>& args, const std::string& input,
                 const fs::path& program = cliPath()) {
    StartedCli s;
    s.io = std::make_unique<TempDir>();
    const fs::path in = *s.io / "stdin";
    const fs::path out = *s.io / "stdout";
    const fs::path err = *s.io / "stderr";
    writeText(in, input);

    std::vector<std::string> argvText = fullArgv(args, program);
    std::vector<char*> argv;
    for (std::string& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    s.pid = ::fork();
    if (s.pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (s.pid == 0) {
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
    return s;
}

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

CliResult collect(StartedCli& s) {
    CliResult result;
    result.exitCode = waitFor(s.pid);
    result.out = readText(*s.io / "stdout");
    result.err = readText(*s.io / "stderr");
    return result;
}

}  // namespace

CliResult runCli(const std::vector<std::string>& args, const std::string& input) {
    StartedCli s = start(args, input);
    return collect(s);
}

StartedCli startCli(const std::vector<std::string>& args, const std::string& input) {
    return start(args, input);
}

CliResult finishCli(StartedCli& run) {
    return collect(run);
}

CliResult runCliAt(const fs::path& program, const std::vector<std::string>& args) {
    StartedCli s = start(args, {}, program);
    return collect(s);
}

std::vector<CliResult> runCliTogether(const std::vector<std::vector<std::string>>& runs) {
    std::vector<StartedCli> started;
    for (const auto& args : runs) {
        started.push_back(start(args, {}));
    }
    std::vector<CliResult> results;
    for (StartedCli& s : started) {
        results.push_back(collect(s));
    }
    return results;
}

CliResult runCliOnTerminal(const std::vector<std::string>& args, const std::string& input) {
    TempDir io;
    const fs::path out = io / "stdout";
    std::vector<std::string> argvText = fullArgv(args);
    std::vector<char*> argv;
    for (std::string& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    // Raw output and no echo, so the test sees the bytes the tool wrote.
    termios mode{};
    ::cfmakeraw(&mode);
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, &mode, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ::close(master);
        const int fdOut = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fdOut < 0) {
            ::_exit(127);
        }
        ::setsid();
        ::dup2(slave, STDIN_FILENO);
        ::dup2(fdOut, STDOUT_FILENO);
        ::dup2(slave, STDERR_FILENO);
        ::close(slave);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(slave);
    if (!input.empty()) {
        // The terminal buffers what is typed until the tool reads it.
        const ssize_t written = ::write(master, input.data(), input.size());
        (void)written;
    }
    CliResult result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
            result.err.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO: the tool has closed the terminal's last end
        }
    }
    ::close(master);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readText(out);
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
