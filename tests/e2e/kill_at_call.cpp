// Preloaded into the terminal tool by the kill tests: the program is killed
// just before its Nth fsync, fdatasync, link or rename (VZ_KILL_AT_CALL=N),
// after writing that step to the file VZ_KILL_LOG.

#include <dlfcn.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>

namespace {

int calls = 0;  // one count over every kind of step

template <typename F>
F before(const char* step, const char* file = "") {
    const char* at = std::getenv("VZ_KILL_AT_CALL");
    if (at != nullptr && ++calls == std::atoi(at)) {
        if (std::FILE* log = std::fopen(std::getenv("VZ_KILL_LOG"), "w")) {
            std::fprintf(log, "%s %s", step, file);
            std::fclose(log);
        }
        ::raise(SIGKILL);
    }
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, step));
}

}  // namespace

extern "C" {
int fsync(int fd) {
    return before<int (*)(int)>("fsync")(fd);
}
int fdatasync(int fd) {
    return before<int (*)(int)>("fdatasync")(fd);
}
int rename(const char* from, const char* to) {
    return before<int (*)(const char*, const char*)>("rename", to)(from, to);
}
int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    using Link = int (*)(int, const char*, int, const char*, int);
    return before<Link>("linkat", to)(fromDir, from, toDir, to, flags);
}
}
