#include "tests/import/import_fixture.h"

#include "core/import/session.h"
#include "core/store/import_store.h"

namespace vz::test {

namespace fs = std::filesystem;

ImportFixture::ImportFixture() : paths_(makeAppFolder(dir_.path())) {}

vz::import::ImportSummary ImportFixture::importText(const std::string& format,
                                                    const std::vector<std::string>& inputs) {
    std::vector<fs::path> files;
    for (const std::string& text : inputs) {
        files.push_back(dir_ / ("input" + std::to_string(++inputCounter_) + ".txt"));
        writeText(files.back(), text);
    }
    return importFiles(format, files);
}

vz::import::ImportSummary ImportFixture::importFiles(const std::string& format,
                                                     const std::vector<fs::path>& inputs) {
    vz::import::ImportRequest req;
    req.format = format;
    req.inputs = inputs;
    req.raceFile = raceFile();
    req.paths = paths_;
    req.today = today_;
    return import::runImport(req);
}

vz::import::ImportSummary ImportFixture::applyRecords(const import::Reading& reading) {
    if (!fs::exists(raceFile())) {
        makeRaceFile(raceFile());
    }
    store::DogDatabase db(paths_.dogDatabase());
    store::RaceFile rf(raceFile());
    store::ImportStore st(db, &rf);
    vz::import::Session session(st);
    session.apply(reading);
    session.finish();
    st.resetAll();
    return session.summary();
}

std::vector<base::Race> ImportFixture::races() const {
    return store::RaceFile(raceFile(), store::OpenMode::ReadOnly).races();
}

std::vector<base::Post> ImportFixture::posts() const {
    return store::RaceFile(raceFile(), store::OpenMode::ReadOnly).allPosts();
}

std::vector<base::RaceLine> ImportFixture::lines(const std::string& name) const {
    return dogs().raceLines(name);
}

std::optional<base::Dog> ImportFixture::dog(const std::string& name) const {
    return dogs().findDog(name);
}

void ImportFixture::addDog(const std::string& name, int starts, int firsts) {
    store::DogDatabase db(paths_.dogDatabase());
    base::Dog d;
    d.RegName = name;
    d.RunningStyle = "R";
    d.NumStarts = starts;
    d.NumFirsts = firsts;
    d.NumSeconds = 0;
    d.NumThirds = 0;
    db.addDog(d);
}

void ImportFixture::addLine(const std::string& name, base::Date date) {
    store::DogDatabase db(paths_.dogDatabase());
    base::RaceLine l;
    l.RegName = name;
    l.RaceDate = date;
    l.RaceNum = 1;
    l.Finish = 1;
    db.addRaceLine(l);
}

std::string fit(std::string_view text, std::size_t width) {
    std::string s(text.substr(0, width));
    s.resize(width, ' ');
    return s;
}

std::string columns(std::initializer_list<std::pair<std::size_t, std::string_view>> pieces,
                    std::size_t width) {
    std::string line(width, ' ');
    for (const auto& [col, text] : pieces) {
        const std::size_t at = col - 1;
        if (line.size() < at + text.size()) {
            line.resize(at + text.size(), ' ');
        }
        line.replace(at, text.size(), text);
    }
    return line;
}

}  // namespace vz::test
