#include "core/import/import.h"

#include <exception>
#include <memory>

#include <fmt/format.h>

#include "core/import/registry.h"
#include "core/store/dog_database.h"
#include "core/store/error.h"
#include "core/store/fileio.h"
#include "core/store/import_store.h"
#include "core/store/race_file.h"

namespace vz::import {

namespace {

namespace fs = std::filesystem;

// Runs a step over the input; any fault of the input ends as ImportFailed.
// Database faults keep their own message: they say nothing about the file's
// type.
template <class Step>
void readingInput(Step&& step) {
    try {
        step();
    } catch (const ImportFailed&) {
        throw;
    } catch (const Error& e) {
        if (e.number() == Error::kDatabase) {
            throw;
        }
        throw ImportFailed(e.what());
    } catch (const std::exception& e) {
        throw ImportFailed(e.what());
    }
}

}  // namespace

ImportSummary runImport(const ImportRequest& request) {
    const Format* format = findFormat(request.format);
    if (format == nullptr) {
        throw Error(fmt::format("Unknown import type \"{}\".", request.format));
    }
    const FormatInfo& info = format->info();
    if (request.inputs.size() != info.inputs.size()) {
        throw Error(fmt::format("Import from {} needs {} input file{}.", info.sourceName,
                                info.inputs.size(), info.inputs.size() == 1 ? "" : "s"));
    }
    std::vector<std::string> files;
    files.reserve(request.inputs.size());
    for (const fs::path& in : request.inputs) {
        files.push_back(store::readRegularFile(in, kMaxInputBytes));
    }
    // A file of another kind is refused before any file is opened for
    // writing: the dog database and the race file stay as they are.
    readingInput([&] {
        if (const Refusal why = format->refusal(files)) {
            throw ImportFailed(*why);
        }
    });

    store::DogDatabase dogs(request.paths.dogDatabase());

    std::optional<fs::path> raceFilePath;
    if (info.writesRaceFile) {
        if (!request.raceFile) {
            throw Error(fmt::format("Import from {} needs a new race file.", info.sourceName));
        }
        raceFilePath = request.raceFile;
        // Copying the template over one of the system's own files (or over
        // the program being read) would destroy it.
        std::vector<fs::path> guarded = {request.paths.dogDatabase(),
                                         request.paths.staticDatabase(),
                                         request.paths.raceTemplate()};
        guarded.insert(guarded.end(), request.inputs.begin(), request.inputs.end());
        for (const fs::path& g : guarded) {
            std::error_code ec;
            if (fs::equivalent(*raceFilePath, g, ec)) {
                throw Error(
                    fmt::format("The race file cannot be {}: choose another name.", g.string()));
            }
        }
    }
    const auto freshRaceFile = [&] {
        store::RaceFile::createFromTemplate(request.paths.raceTemplate(), *raceFilePath);
    };
    if (raceFilePath) {
        freshRaceFile();
    }

    // One transaction per file. The race file is committed last, only after
    // the dog database: a failure before that leaves both as they were, and
    // the race file is copied afresh from the template in any case.
    std::unique_ptr<store::RaceFile> raceFile;
    std::unique_ptr<store::RaceFile::Transaction> raceTx;
    ImportSummary summary;
    try {
        if (raceFilePath) {
            raceFile = std::make_unique<store::RaceFile>(*raceFilePath);
            raceTx = std::make_unique<store::RaceFile::Transaction>(*raceFile);
        }
        {
            store::DogDatabase::Transaction dogTx(dogs);
            store::ImportStore st(dogs, raceFile.get());
            Session session(st, request.progress);
            try {
                readingInput([&] { session.apply(format->read(files, request.today)); });
                // A card without a race is no program.
                if (info.writesRaceFile && session.summary().racesWritten == 0) {
                    throw ImportFailed("no race");
                }
                session.finish();
            } catch (...) {
                st.resetAll();
                throw;
            }
            st.resetAll();
            summary = session.summary();
            dogTx.commit();
        }
    } catch (...) {
        raceTx.reset();
        raceFile.reset();
        if (raceFilePath) {
            try {
                freshRaceFile();
            } catch (...) {
                // The first fault is the one to report.
            }
        }
        throw;
    }
    if (raceTx) {
        try {
            raceTx->commit();
        } catch (const Error& e) {
            raceTx.reset();
            raceFile.reset();
            try {
                freshRaceFile();
            } catch (...) {
            }
            throw Error(fmt::format("The dogs and their race lines were imported, but the race "
                                    "file {} could not be written: {}",
                                    raceFilePath->string(), e.what()),
                        e.number());
        }
    }
    return summary;
}

}  // namespace vz::import
