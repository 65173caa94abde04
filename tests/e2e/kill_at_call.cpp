// Loaded into the terminal tool by the kill tests (LD_PRELOAD): the program
// ends by SIGKILL at the moment it is about to make its Nth durable step, an
// fsync, fdatasync, link or rename (VZ_KILL_AT_CALL=N), after writing which
// step it was to the file VZ_KILL_LOG. The step itself is not made.

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

int calls = 0;

void before(const char* step, const char* file) {
    const char* at = getenv("VZ_KILL_AT_CALL");
    if (at == nullptr || ++calls != atoi(at)) {
        return;
    }
    if (const char* log = getenv("VZ_KILL_LOG")) {
        const int fd = open(log, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char line[4200];
            const int n = snprintf(line, sizeof line, "%s %s\n", step, file);
            if (n > 0 && write(fd, line, static_cast<size_t>(n)) < 0) {
                // Nothing more to tell.
            }
            close(fd);
        }
    }
    raise(SIGKILL);
}

void beforeFd(const char* step, int fd) {
    char link[64];
    char file[4096] = "?";
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, file, sizeof file - 1);
    if (n > 0) {
        file[n] = '\0';
    }
    before(step, file);
}

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int fsync(int fd) {
    beforeFd("fsync", fd);
    return real<int (*)(int)>("fsync")(fd);
}

int fdatasync(int fd) {
    beforeFd("fdatasync", fd);
    return real<int (*)(int)>("fdatasync")(fd);
}

int rename(const char* from, const char* to) {
    before("rename", to);
    return real<int (*)(const char*, const char*)>("rename")(from, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    before("linkat", to);
    return real<int (*)(int, const char*, int, const char*, int)>("linkat")(fromDir, from, toDir,
                                                                            to, flags);
}
}
