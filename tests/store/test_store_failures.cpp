#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/base/error.h"
#include "core/store/dog_database.h"
#include "core/store/import_store.h"
#include "tests/support/test_support.h"

namespace vz::store {
namespace {

base::Dog named(const std::string& name) {
    base::Dog d;
    d.RegName = name;
    return d;
}

// Whatever way a failure leaves core/store, the user reads the same words and
// number: a second dog of a name in words of its own, an engine failure as
// the dog database's, an error of the system's own as it was thrown.
TEST(StoreFailures, KeepTheirWordsAndNumber) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    const std::string file = paths.dogDatabase().string();
    DogDatabase db(paths.dogDatabase());
    db.addDog(named("Blue Moon"));
    const std::int64_t second = db.addDog(named("Red Sky"));

    struct Row {
        const char* how;
        std::function<void()> act;
        std::string message;
        int number;
    };
    const std::string taken = "A dog named blue moon is already on file.";
    const Row rows[] = {
        {"editor adds a taken name", [&] { db.addDog(named("blue moon")); }, taken,
         Error::kDatabase},
        {"editor renames to a taken name",
         [&] {
             base::Dog d = named("blue moon");
             d.rowId = second;
             db.updateDog(d);
         },
         taken, Error::kDatabase},
        {"import adds a taken name",
         [&] {
             ImportStore store(db, nullptr);
             store.addDog(named("blue moon"));
         },
         taken, Error::kDatabase},
        {"engine failure on the connection",
         [&] { guarded(db.connection(), [&] { db.connection().exec("SELECT x FROM Nowhere"); }); },
         "Database error in the dog database " + file + ": no such table: Nowhere",
         Error::kDatabase},
        {"engine failure without a connection",
         [&] { guarded("dog database", [&] { db.connection().exec("SELECT x FROM Nowhere"); }); },
         "Database error in the dog database: no such table: Nowhere", Error::kDatabase},
        {"the system's own error",
         [&] { guarded(db.connection(), [] { throw Error("Stopped.", Error::kLocked); }); },
         "Stopped.", Error::kLocked},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.how);
        try {
            row.act();
            ADD_FAILURE() << "no failure";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), row.message);
            EXPECT_EQ(e.number(), row.number);
        }
    }
    EXPECT_EQ(db.dogCount(), 2);
}

}  // namespace
}  // namespace vz::store
