// Choosing the data folder: --data, ZELVAN_DATA, the user's folder holding s.i, the program's
// folder holding s.i, the installed timetable; and where an update goes for each choice.
#include "db/data_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "db/text.h"
#include "db_fixture.h"

namespace zelvan::test {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// Five candidate folders; a timetable (s.i) is written into the user's and the program's when a
// case says so. The named folders never hold one: what the user names wins regardless.
class DataFolderOrder : public ::testing::Test {
  protected:
    DataFolderInputs inputs(bool option, bool environment, bool user, bool program) {
        if (user) writeTimetable(userFolder());
        if (program) writeTimetable(program_.path());
        DataFolderInputs in;
        if (option) in.option = named_.wide() + u"//";
        if (environment) in.environment = environment_.wide();
        in.userFolder = userFolder();
        in.programFolder = program_.wide();
        in.installedFolder = installed_.wide();
        return in;
    }
    std::u16string userFolder() const { return home_.wide() + u"/zelvan"; }
    static void writeTimetable(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder);
        writeBytes(folder / "s.i", nameList({"北京"}));
    }
    static void writeTimetable(const std::u16string& folder) {
        writeTimetable(std::filesystem::path(toUtf8(folder)));
    }

    TempDir named_, environment_, home_, program_, installed_;
};

TEST_F(DataFolderOrder, EachStepWinsWhenTheEarlierOnesAreAbsent) {
    struct Case {
        bool option, environment, user, program;
        DataFolderSource source;
    } cases[] = {
        {true, true, true, true, DataFolderSource::Option},
        {false, true, true, true, DataFolderSource::Environment},
        {false, false, true, true, DataFolderSource::User},
        {false, false, false, true, DataFolderSource::Program},
        {false, false, false, false, DataFolderSource::Installed},
    };
    for (const Case& c : cases) {
        for (const TempDir* d : {&home_, &program_}) {
            for (const auto& entry : std::filesystem::directory_iterator(d->path())) {
                std::filesystem::remove_all(entry.path());
            }
        }
        const DataFolder chosen =
            resolveDataFolder(inputs(c.option, c.environment, c.user, c.program));
        const std::string name(dataSourceName(c.source));
        EXPECT_EQ(chosen.source, c.source) << name;
        const std::u16string expected[] = {named_.wide(), environment_.wide(), userFolder(),
                                           program_.wide(), installed_.wide()};
        EXPECT_EQ(chosen.path, expected[static_cast<int>(c.source)]) << name;
        // A named folder is updated where it is; everything else updates the user's folder, so
        // the program's folder and the installed timetable are never written to.
        const bool named =
            c.source == DataFolderSource::Option || c.source == DataFolderSource::Environment;
        EXPECT_EQ(chosen.updateFolder, named ? chosen.path : userFolder()) << name;
    }
}

TEST_F(DataFolderOrder, ADamagedUserFolderIsChosenAndItsFaultNamed) {
    const std::filesystem::path user = toUtf8(userFolder());
    std::filesystem::create_directories(user);
    writeTimetable(program_.path());

    // s.i a folder, s.i a link to nowhere, s.i unreadable: the user's folder still answers,
    // and the load says what is wrong instead of falling back to another timetable.
    std::filesystem::create_directory(user / "s.i");
    DataFolder chosen = resolveDataFolder(inputs(false, false, false, false));
    EXPECT_EQ(chosen.source, DataFolderSource::User);
    TimetableDb db;
    EXPECT_FALSE(db.load(chosen.path));
    EXPECT_EQ(loadProblem(chosen.path), "s.i is not a file");

    std::filesystem::remove(user / "s.i");
    std::filesystem::create_symlink(user / "gone", user / "s.i");
    EXPECT_EQ(resolveDataFolder(inputs(false, false, false, false)).source, DataFolderSource::User);
    EXPECT_EQ(loadProblem(userFolder()), "s.i is missing");

    if (::geteuid() != 0) {  // root reads anything
        std::filesystem::remove(user / "s.i");
        writeBytes(user / "s.i", nameList({"北京"}));
        std::filesystem::permissions(user / "s.i", std::filesystem::perms::none);
        EXPECT_EQ(resolveDataFolder(inputs(false, false, false, false)).source,
                  DataFolderSource::User);
        EXPECT_EQ(loadProblem(userFolder()), "s.i cannot be read");
    }

    // A whole set but one record file: named too.
    DbFolder whole;
    whole.write();
    std::filesystem::remove(whole.dir / "T7.dat");
    EXPECT_EQ(loadProblem(whole.dir.wide()), "T7.dat is missing");
    writeBytes(whole.dir / "T7.dat", "");
    EXPECT_EQ(loadProblem(whole.dir.wide()), "");
}

TEST(DataFolderPlaces, UserFolderFollowsXdgRulesAndInstalledFolderTheProgram) {
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/srv/data/");
        EXPECT_EQ(userDataFolder(), u"/srv/data/zelvan");
    }
    {
        // A relative XDG_DATA_HOME is invalid and ignored.
        ScopedEnv xdg("XDG_DATA_HOME", "relative/data");
        ScopedEnv home("HOME", "/home/wang");
        EXPECT_EQ(userDataFolder(), u"/home/wang/.local/share/zelvan");
    }
    {
        // No HOME: the account's home from the password database.
        ScopedEnv xdg("XDG_DATA_HOME", nullptr);
        ScopedEnv home("HOME", nullptr);
        const std::u16string folder = userDataFolder();
        if (!folder.empty()) {
            EXPECT_EQ(folder.front(), u'/');
            EXPECT_EQ(folder.substr(folder.size() - 20), u"/.local/share/zelvan");
        }
    }
    EXPECT_EQ(installedDataFolder(u"/usr/bin"), u"/usr/share/zelvan/timetable");
    EXPECT_EQ(installedDataFolder(u"/tmp/unpacked/usr/bin"),
              u"/tmp/unpacked/usr/share/zelvan/timetable");
    EXPECT_EQ(installedDataFolder(u""), u"");
}

}  // namespace
}  // namespace zelvan::test
