// libFuzzer target of the import formats: the one to fuzz is named by the
// environment variable VZ_FUZZ_FORMAT (a registry key); VZ_FUZZ_FORMAT=list
// prints every format with its sample files and ends. Each input is imported
// into a dog database and a race file that live for the whole run; every
// run is rolled back, so inputs do not see each other. An input must end as
// a finished run or as the import error; any other exception, a crash or a
// sanitizer report is a fault. A finished run must
// have written what its summary says, and the same input imported again must
// add nothing.
//
// A format of two inputs (DogPak/QuickDog: setup, then lines) reads them
// from one buffer split at kSplit; without it both get the whole buffer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/import/format.h"
#include "core/import/registry.h"
#include "core/import/session.h"
#include "core/store/dog_database.h"
#include "core/store/import_store.h"
#include "core/store/race_file.h"

namespace {

namespace fs = std::filesystem;
using namespace vz;

constexpr std::string_view kSplit = "\n@@LINES@@\n";

const import::Format* gFormat = nullptr;

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "import fuzz: %s: %s\n", gFormat->info().key.c_str(), what);
    std::abort();
}

struct World {
    fs::path dir;
    const import::Format* format = nullptr;
    std::unique_ptr<store::DogDatabase> dogs;
    std::unique_ptr<store::RaceFile> race;

    World() : format(gFormat) {
        dir = fs::temp_directory_path() /
              ("vz-fuzz-" + format->info().key + "-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const fs::path shipped = VZ_SHIPPED_DIR;
        fs::copy_file(shipped / "Data" / "Data.mdb", dir / "Data.mdb",
                      fs::copy_options::overwrite_existing);
        store::RaceFile::createFromTemplate(shipped / "RaceTemplate.tmp", dir / "card.rac");
        dogs = std::make_unique<store::DogDatabase>(dir / "Data.mdb");
        race = std::make_unique<store::RaceFile>(dir / "card.rac");
        // A dog on file before the run, so that known-dog paths are reached.
        base::Dog d;
        d.RegName = "Swift Arrow";
        d.RunningStyle = "R";
        d.NumStarts = 3;
        d.NumFirsts = 1;
        d.NumSeconds = 0;
        d.NumThirds = 0;
        dogs->addDog(d);
    }
    ~World() {
        race.reset();
        dogs.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    World(const World&) = delete;
    World& operator=(const World&) = delete;
};

World& world() {
    static World w;
    return w;
}

std::vector<std::string> inputsOf(std::string_view bytes, std::size_t count) {
    if (count != 2) {
        return std::vector<std::string>(count, std::string(bytes));
    }
    const std::size_t at = bytes.find(kSplit);
    if (at == std::string_view::npos) {
        return {std::string(bytes), std::string(bytes)};
    }
    return {std::string(bytes.substr(0, at)), std::string(bytes.substr(at + kSplit.size()))};
}

const base::Date kToday{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{8}};

// One run of the format; true when it finished, false when it ended with the
// import error.
bool runFormat(World& w, store::ImportStore& st, const std::vector<std::string>& files,
               vz::import::ImportSummary& summary) {
    vz::import::Session session(st);
    try {
        // As the import does: a refused input is never run.
        if (w.format->refusal(files)) {
            return false;
        }
        session.apply(w.format->read(files, kToday));
        session.finish();
        summary = session.summary();
        return true;
    } catch (const import::ImportFailed&) {
        // The input is not of the format: the run ends with the import error.
    } catch (const Error& e) {
        // Any other fault of the run means a reader or the session broke a
        // rule (of the store, or of its own).
        fault(e.what());
    } catch (const std::exception& e) {
        fault(e.what());
    }
    return false;
}

void importTwice(World& w, const std::vector<std::string>& files) {
    const bool card = w.format->info().writesRaceFile;
    store::DogDatabase::Transaction dogTx(*w.dogs);
    std::unique_ptr<store::RaceFile::Transaction> raceTx;
    if (card) {
        raceTx = std::make_unique<store::RaceFile::Transaction>(*w.race);
    }
    store::ImportStore st(*w.dogs, card ? w.race.get() : nullptr);
    const std::int64_t dogsBefore = w.dogs->dogCount();
    const std::int64_t linesBefore = w.dogs->raceLineCount();
    vz::import::ImportSummary first;
    if (runFormat(w, st, files, first)) {
        st.resetAll();
        // What the summary says is what the database holds.
        if (w.dogs->dogCount() - dogsBefore != first.dogsAdded ||
            w.dogs->raceLineCount() - linesBefore != first.linesAdded) {
            fault("the summary does not match the rows written");
        }
        // The same input again adds no dog and no line (so counts no start).
        vz::import::ImportSummary again;
        if (!runFormat(w, st, files, again)) {
            fault("an input imported once fails the second time");
        }
        if (again.dogsAdded != 0 || again.linesAdded != 0) {
            fault("the second import of an input added rows");
        }
    }
    st.resetAll();
    // The transactions end without commit: the files are as before.
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    const char* key = std::getenv("VZ_FUZZ_FORMAT");
    if (key != nullptr && std::string_view(key) == "list") {
        // One line per format: its key, then its sample files in input order.
        for (const import::Format* f : import::allFormats()) {
            std::string line = f->info().key;
            for (const import::InputSpec& in : f->info().inputs) {
                line += "\t" + in.sample;
            }
            std::printf("%s\n", line.c_str());
        }
        std::exit(0);
    }
    gFormat = key == nullptr ? nullptr : import::findFormat(key);
    if (gFormat == nullptr) {
        std::fprintf(stderr, "import fuzz: set VZ_FUZZ_FORMAT to one of:");
        for (const import::Format* f : import::allFormats()) {
            std::fprintf(stderr, " %s", f->info().key.c_str());
        }
        std::fprintf(stderr, " (or list)\n");
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& w = world();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    importTwice(w, inputsOf(bytes, w.format->info().inputs.size()));
    return 0;
}
