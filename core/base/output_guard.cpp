#include "core/base/output_guard.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include <fmt/format.h>

namespace vz::base {
namespace fs = std::filesystem;

namespace {

// The path with every link of its existing part resolved, so that two names
// of one place compare equal even where the file is not there yet.
fs::path resolved(const fs::path& p) {
    std::error_code ec;
    fs::path abs = fs::absolute(p, ec);
    if (ec) {
        abs = p;
    }
    const fs::path real = fs::weakly_canonical(abs, ec);
    return (ec ? abs : real).lexically_normal();
}

bool samePlace(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return resolved(a) == resolved(b) || fs::equivalent(a, b, ec);
}

bool isInside(const fs::path& file, const fs::path& dir) {
    const fs::path f = resolved(file);
    const fs::path d = resolved(dir);
    auto fi = f.begin();
    for (auto di = d.begin(); di != d.end(); ++di, ++fi) {
        if (di->empty()) {
            continue;  // the trailing separator of a folder
        }
        if (fi == f.end() || *fi != *di) {
            return false;
        }
    }
    return fi != f.end();
}

bool endsWithNoCase(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           std::equal(tail.begin(), tail.end(),
                      text.end() - static_cast<std::ptrdiff_t>(tail.size()), [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

std::string firstBytes(const fs::path& file, std::size_t n) {
    std::ifstream in(file, std::ios::binary);
    std::string head(n, '\0');
    in.read(head.data(), static_cast<std::streamsize>(n));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

// A program by its content, not by its permissions: files on a shared or
// removable disk often carry execute permissions they do not need.
bool isProgram(const fs::path& file) {
    const std::string head = firstBytes(file, 4);
    return head ==
               "\x7f"
               "ELF" ||
           head.starts_with("#!");
}

}  // namespace

bool hasSqliteHeader(const fs::path& file) {
    return firstBytes(file, 16) == std::string_view("SQLite format 3", 16);  // with its zero
}

std::vector<fs::path> systemFiles(const base::AppPaths& paths) {
    std::vector<fs::path> own;
    // The journal files lie beside the real database when it is a link.
    for (const fs::path& db : {paths.dogDatabase(), resolved(paths.dogDatabase())}) {
        for (const char* tail : {"", "-wal", "-shm", "-journal"}) {
            own.emplace_back(db.string() + tail);
        }
    }
    for (const fs::path& f :
         {paths.staticDatabase(), paths.raceTemplate(), paths.settingsFile(), paths.recentFile(),
          paths.dogEditorSizeFile(), paths.errorReport(), paths.helpPage(), paths.licenseFile()}) {
        own.push_back(f);
    }
    // The import settings files, the import program of old, the win-chance model.
    for (const char* name : {"QAV.ini", "DPAK.ini", "ROS.ini", "DerbyLane.ini", "TrackInfo.ini",
                             "Import.exe", "WinChances.json"}) {
        own.push_back(paths.importSettings(name));
    }
    return own;
}

std::optional<std::string> outputRefusal(const base::AppPaths& paths, const fs::path& file,
                                         OutputKind kind, std::string_view what,
                                         std::span<const fs::path> sameRun) {
    const std::string name = file.string();
    const auto refuse = [&](std::string_view why) {
        return fmt::format("The file {} {}: {} cannot take its name. Choose another name.", name,
                           why, what);
    };
    const std::vector<fs::path> own = systemFiles(paths);
    const bool settingsName = endsWithNoCase(file.filename().string(), ".ini") &&
                              samePlace(file.parent_path(), paths.appDir);
    if (settingsName || std::any_of(own.begin(), own.end(),
                                    [&](const fs::path& o) { return samePlace(file, o); })) {
        return refuse("is one of the system's own files");
    }
    for (const fs::path& f : sameRun) {
        if (samePlace(file, f)) {
            return refuse("is written by the same run");
        }
    }
    if (isProgram(file) || samePlace(file, "/proc/self/exe")) {
        return refuse("is a program");
    }
    if (kind == OutputKind::RaceFile) {
        return std::nullopt;
    }
    if (isInside(file, paths.dataDir())) {
        return refuse("lies in the data folder, which holds the dog database");
    }
    if (endsWithNoCase(file.filename().string(), ".rac")) {
        return refuse("is named as a race file");
    }
    if (hasSqliteHeader(file)) {
        return refuse("is a database");
    }
    return std::nullopt;
}

}  // namespace vz::base
