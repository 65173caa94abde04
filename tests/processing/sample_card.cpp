#include "tests/processing/sample_card.h"

#include "tests/support/test_support.h"

namespace vz::test {

void addDog(store::DogDatabase& db, const std::string& name, const char* style) {
    base::Dog d;
    d.RegName = name;
    d.RunningStyle = style;
    d.NumStarts = 0;
    d.NumFirsts = 0;
    d.NumSeconds = 0;
    d.NumThirds = 0;
    db.addDog(d);
}

namespace {

void addRace(store::RaceFile& f, base::Date date, int num, const char* grade,
             const char* distance) {
    base::Race r;
    r.RaceDate = date;
    r.RaceNum = num;
    r.Grade = grade;
    r.Distance = distance;
    f.addRace(r);
}

void addPost(store::RaceFile& f, base::Date date, int num, int post, const std::string& name) {
    base::Post p;
    p.RaceDate = date;
    p.RaceNum = num;
    p.Post = post;
    p.RegName = name;
    f.addPost(p);
}

}  // namespace

// The expected report was worked out by hand from these lines:
//
// Race 1 (8 dogs). Figures: grade points, finish points, average time, last
// time, early speed, average break, late speed:
//   1 Rail Rocket R  10 13 3065      3050 2.5 1.5 0
//   2 Wide Willow W   4  4 3112.871  3113 6   3   1
//   3 Middle Mist M   6  5 3095      3100 8.5 4.5 1.5
//   4 No Record   M   0  0 9999      9999 0   0   0    (no lines)
//   5 Slow Sam    W   2  0 3200      3200 12  6   0
//   6 Rail Six    R   4  5 3060      3060 4   2   0
//   7 Seven Up    M   0  0 9999      0    5   3   2    (grade T, time 0)
//   8 Eight Ball  M   6  8 3045      3045 3   1   0
// Points Cla/Rec/AvSp/Last/EaSp/LaSp and Score:
//   1: 4 4 2 2 4 0 = 16   2: 2 1 0 0 0 0 = 3   3: 3 2 1 0 0 1 = 7   4: 0 0 0 0 5 0 = 5
//   5: 1 0 0 0 0 0 = 1    6: 2 2 3 1 2 0 = 10  7: 0 0 0 4 0 2 = 6   8: 3 3 4 3 3 0 = 16
// Speed gap 1-3 (3095 - 15 > 3065); extra break to 4 (1.5 - 0.2 > 0); break
// advantage to 1 and 4; 1 must play; 1 before 8 on early-speed points;
// position 7 scores 3, so the trifecta warning.
//
// Race 2 (5 dogs; a quote in a name, a long name, trailing blanks and
// another letter case in the race file):
//   1 Say "When"  R  20 27 3010      3000 2.75 1.5 0.25 fast breaker
//   2 Extraord... M   4  5 3030.954  3031 6    3   1
//   3 Trailing    W   3  3 3070      3070 8    4   1
//   4 CASE DOG    M   8  6 3135      3120 5    2.5 0.5
//   5 Fifth Dog   R   1  3 3040      3040 10   5   4
//   1: 4 4 4 4 5 0 = 21   2: 2 2 3 3 3 1 = 14   3: 1 1 1 1 2 1 = 7   4: 3 3 0 0 4 0 = 10
//   5: 0 0 2 2 0 2 = 6
// Speed gaps 1-2 and 5-3; extra break, rail break and break advantage to 1,
// 1 must play; 4 blocks and has the break advantage; no warnings (positions
// 7 and 8 are empty).
//
// Race 3 (post 2 blank, post 3 scratched):
//   1 Lone Star   M   3 4 3100 3100 4   2 0
//   4 Gap Runner  R   6 5 3080 3080 4.5 2 0   (newest line has no time)
//   1: 0 0 0 0 5 2 = 7    4: 4 4 4 4 0 0 = 16
// Speed gap 4-1; the 1 is included; the empty box 2 breaks at 0, so no
// break advantage for 1.
void makeSampleCard(const base::AppPaths& paths, const std::filesystem::path& raceFile) {
    store::DogDatabase db(paths.dogDatabase());
    {
        store::DogDatabase::Transaction tx(db);
        addDog(db, "Rail Rocket", "R");
        db.addRaceLine(line("Rail Rocket", ymd(2026, 11, 30), "S", "A", 3050, 1, 1, 1, 1));
        db.addRaceLine(line("Rail Rocket", ymd(2026, 11, 20), "S", "A", 3080, 2, 1, 2, 2));
        addDog(db, "Wide Willow", "W");
        db.addRaceLine(line("Wide Willow", ymd(2026, 11, 30), "L", "B", 3800, 3, 3, 4, 3));
        addDog(db, "Middle Mist", "M");
        db.addRaceLine(line("Middle Mist", ymd(2026, 11, 25), "S", "C", 3090, 5, 4, 3, 1));
        db.addRaceLine(line("Middle Mist", ymd(2026, 12, 1), "S", "C", 3100, 4, 4, 5, 4));
        addDog(db, "No Record", "M");
        addDog(db, "Slow Sam", "W");
        db.addRaceLine(line("Slow Sam", ymd(2026, 11, 28), "R", "D", 4000, 6, 6, 6, 6));
        addDog(db, "Rail Six", "R");
        db.addRaceLine(line("Rail Six", ymd(2026, 11, 29), "S", "B", 3060, 2, 2, 2, 2));
        addDog(db, "Seven Up", "M");
        db.addRaceLine(line("Seven Up", ymd(2026, 11, 27), "S", "T", 0, 3, 2, 3, 1));
        addDog(db, "Eight Ball", "M");
        db.addRaceLine(line("Eight Ball", ymd(2026, 11, 26), "S", "AA", 3045, 1, 2, 1, 1));

        addDog(db, "Say \"When\"", "R");
        db.addRaceLine(line("Say \"When\"", ymd(2026, 12, 2), "S", "A", 3000, 1, 1, 1, 1));
        db.addRaceLine(line("Say \"When\"", ymd(2026, 11, 25), "S", "A", 3010, 2, 1, 1, 1));
        db.addRaceLine(line("Say \"When\"", ymd(2026, 11, 18), "S", "A", 3020, 1, 2, 3, 2));
        db.addRaceLine(line("Say \"When\"", ymd(2026, 11, 11), "S", "A", 3030, 2, 1, 1, 1));
        addDog(db, "Extraordinarily Long Name", "M");
        db.addRaceLine(
            line("Extraordinarily Long Name", ymd(2026, 12, 1), "L", "B", 3700, 3, 3, 3, 2));
        addDog(db, "Trailing Tom", "W");
        db.addRaceLine(line("Trailing Tom", ymd(2026, 12, 1), "S", "C", 3070, 4, 4, 4, 3));
        addDog(db, "Case Dog", "M");
        db.addRaceLine(line("Case Dog", ymd(2026, 11, 30), "R", "B", 3900, 2, 2, 2, 1));
        db.addRaceLine(line("Case Dog", ymd(2026, 11, 20), "S", "B", 3150, 3, 3, 4, 4));
        addDog(db, "Fifth Dog", "R");
        db.addRaceLine(line("Fifth Dog", ymd(2026, 11, 29), "S", "M", 3040, 5, 5, 5, 1));

        addDog(db, "Lone Star", "M");
        db.addRaceLine(line("Lone Star", ymd(2026, 12, 3), "S", "C", 3100, 2, 2, 2, 2));
        addDog(db, "Gap Runner", "R");
        db.addRaceLine(line("Gap Runner", ymd(2026, 12, 4), "S", "C", std::nullopt, 3, 4, 4, 5));
        db.addRaceLine(line("Gap Runner", ymd(2026, 11, 27), "S", "C", 3080, 1, 1, 2, 1));

        // A dog of the database that runs on no race of the card.
        addDog(db, "Bystander", "R");
        db.addRaceLine(line("Bystander", ymd(2026, 12, 5), "S", "AA", 2900, 1, 1, 1, 1));
        tx.commit();
    }

    makeRaceFile(raceFile);
    store::RaceFile f(raceFile);
    const base::Date d7 = ymd(2026, 12, 7);
    const base::Date d8 = ymd(2026, 12, 8);
    // Races added out of order: the run takes them by date and number.
    addRace(f, d8, 1, "C", "S");
    addRace(f, d7, 2, "A", "L");
    addRace(f, d7, 1, "B", "S");
    const char* race1[] = {"Rail Rocket", "Wide Willow", "Middle Mist", "No Record",
                           "Slow Sam",    "Rail Six",    "Seven Up",    "Eight Ball"};
    for (int p = 8; p >= 1; --p) {
        addPost(f, d7, 1, p, race1[p - 1]);
    }
    addPost(f, d7, 2, 1, "Say \"When\"");
    addPost(f, d7, 2, 2, "Extraordinarily Long Name");
    addPost(f, d7, 2, 3, "Trailing Tom  ");
    addPost(f, d7, 2, 4, "CASE DOG");
    addPost(f, d7, 2, 5, "Fifth Dog");
    addPost(f, d8, 1, 1, "Lone Star");
    addPost(f, d8, 1, 2, "   ");
    addPost(f, d8, 1, 4, "Gap Runner");
}

}  // namespace vz::test
