// Build tool: makes a fresh SQLite database from an SQL script, so the
// shipped data files come from the text in data/ and never from a binary
// kept in the repository.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <SQLiteCpp/Database.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vz-mkdb SCRIPT.sql OUTPUT\n");
        return 2;
    }
    const std::filesystem::path script = argv[1];
    const std::filesystem::path output = argv[2];
    try {
        std::ifstream in(script, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "vz-mkdb: cannot read %s\n", script.c_str());
            return 1;
        }
        std::ostringstream sql;
        sql << in.rdbuf();
        std::filesystem::create_directories(output.parent_path());
        const std::filesystem::path tmp = output.string() + ".new";
        std::filesystem::remove(tmp);
        {
            SQLite::Database db(tmp.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            db.exec("PRAGMA journal_mode=DELETE");
            db.exec("BEGIN");
            db.exec(sql.str());
            db.exec("COMMIT");
            db.exec("VACUUM");
        }
        std::filesystem::rename(tmp, output);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vz-mkdb: %s: %s\n", script.c_str(), e.what());
        return 1;
    }
    return 0;
}
