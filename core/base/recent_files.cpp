#include "core/base/recent_files.h"

#include <fmt/format.h>

#include "core/base/fileio.h"
#include "core/base/seqfile.h"

namespace vz::base {

namespace {

// Five lines of two paths each: anything larger is not the list.
constexpr std::uintmax_t kMaxRecentFileBytes = 64 * 1024;

}  // namespace

RecentFilesRead readRecentFiles(const std::filesystem::path& file) {
    RecentFilesRead out;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return out;
    }
    std::string text;
    try {
        text = readRegularFile(file, kMaxRecentFileBytes, "recent-file list");
    } catch (const Error& e) {
        out.error = e;
        return out;
    }
    SeqReader in(text);
    for (std::size_t row = 0; row < kRecentFileRows && !in.atEnd(); ++row) {
        try {
            RecentFile entry;
            entry.Title = in.readString();
            entry.Path = in.readString();
            out.files[row] = std::move(entry);
        } catch (const Error& e) {
            out.error = Error(fmt::format("{} in the recent-file list {} (line {})", e.what(),
                                          file.string(), row + 1),
                              e.number());
            break;
        }
    }
    return out;
}

std::size_t recentFileCount(const RecentFiles& files) {
    std::size_t n = 0;
    while (n < files.size() && !files[n].Title.empty()) {
        ++n;
    }
    return n;
}

RecentFiles updateRecentFiles(const RecentFiles& files, const std::string& title,
                              const std::string& path) {
    RecentFiles rows = files;
    // Take the file out where it stands, closing the gap.
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (rows[k].Path == path) {
            for (std::size_t i = k; i + 1 < rows.size(); ++i) {
                rows[i] = rows[i + 1];
            }
            rows.back() = RecentFile{};
            break;
        }
    }
    // Push everything down one row and put the file on top.
    for (std::size_t i = rows.size() - 1; i > 0; --i) {
        rows[i] = rows[i - 1];
    }
    rows[0] = RecentFile{title, path};
    return rows;
}

std::string recentFilesText(const RecentFiles& files) {
    SeqWriter w;
    for (const RecentFile& f : files) {
        if (f.Title.empty()) {
            break;
        }
        w.str(f.Title).str(f.Path).endLine();
    }
    return w.text();
}

void writeRecentFiles(const std::filesystem::path& file, const RecentFiles& files) {
    writeFileAtomic(file, recentFilesText(files), "recent-file list");
}

}  // namespace vz::base
