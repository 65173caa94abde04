#include "core/import/import.h"

#include <exception>
#include <memory>

#include <fmt/format.h>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/import/registry.h"
#include "core/store/dog_database.h"
#include "core/store/import_store.h"
#include "core/store/new_race_file.h"
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
        files.push_back(base::readRegularFile(in, kMaxInputBytes));
    }
    // A file of another kind is refused before any file is opened for
    // writing: the dog database and the race file stay as they are.
    readingInput([&] {
        if (const Refusal why = format->refusal(files)) {
            if (*why == kInputsSwapped) {
                throw InputsSwapped(*why);
            }
            throw ImportFailed(*why);
        }
    });

    std::optional<fs::path> raceFilePath;
    if (info.writesRaceFile) {
        if (!request.raceFile) {
            throw Error(fmt::format("Import from {} needs a new race file.", info.sourceName));
        }
        if (const auto why = store::newRaceFileRefusal(request.paths, *request.raceFile)) {
            throw Error(*why, Error::kPathFileAccess);
        }
        raceFilePath = request.raceFile;
    }

    store::DogDatabase dogs(request.paths.dogDatabase());
    // The card goes into a temporary file first; it takes the race file's
    // name only after the dog database has committed the import.
    std::optional<store::NewRaceFile> newRaceFile;
    if (raceFilePath) {
        newRaceFile.emplace(dogs, request.paths.raceTemplate(), *raceFilePath);
    }

    ImportSummary summary;
    {
        store::DogDatabase::Transaction dogTx(dogs);
        std::optional<store::RaceFile::Transaction> raceTx;
        if (newRaceFile) {
            raceTx.emplace(newRaceFile->raceFile());
        }
        store::ImportStore st(dogs, newRaceFile ? &newRaceFile->raceFile() : nullptr);
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
        if (newRaceFile) {
            raceTx->commit();
            newRaceFile->commit(dogTx);
        } else {
            dogTx.commit();
        }
    }
    if (newRaceFile) {
        newRaceFile->putInPlace();
    }
    return summary;
}

}  // namespace vz::import
