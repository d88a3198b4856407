// Injected I/O faults under the tool's writes: the zel tool runs with a VFS that fails the
// n-th read, write, sync, lock or file-size call, or reports a full disk from the n-th
// write on, for every n until the command gets through untouched. After each fault the
// record is exactly as before or exactly as saved, the database passes its integrity
// check, a failure names its cause, and nothing crashes or leaks (the sanitizer build).
#include "support/CliRun.h"

#include <cstdlib>
#include <filesystem>
#include <tuple>

#if !defined(ZEL_FAULT_VFS) || !defined(ZEL_PLANT_LINK)
#error "ZEL_FAULT_VFS and ZEL_PLANT_LINK must name the libraries to preload"
#endif

using namespace zel::test::cli;
namespace fs = std::filesystem;
using zel::test::QueryText;

namespace {
// The environment of the tool runs started while it lives: `library` preloaded, with the
// variables that steer it. The sanitizer runtime is told that a library preloaded ahead of
// it is meant.
class PreloadEnv {
public:
    PreloadEnv(const char* library, std::vector<std::pair<std::string, std::string>> vars)
        : vars_(std::move(vars)) {
        const char* asan = std::getenv("ASAN_OPTIONS");
        asanOptions_ = asan != nullptr ? std::optional<std::string>(asan) : std::nullopt;
        setenv("ASAN_OPTIONS", (asanOptions_.value_or("") + ":verify_asan_link_order=0").c_str(),
               1);
        setenv("LD_PRELOAD", library, 1);
        for (const auto& [name, value] : vars_) {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }
    ~PreloadEnv() {
        unsetenv("LD_PRELOAD");
        for (const auto& var : vars_) {
            unsetenv(var.first.c_str());
        }
        if (asanOptions_) {
            setenv("ASAN_OPTIONS", asanOptions_->c_str(), 1);
        } else {
            unsetenv("ASAN_OPTIONS");
        }
    }
    PreloadEnv(const PreloadEnv&) = delete;
    PreloadEnv& operator=(const PreloadEnv&) = delete;

private:
    std::vector<std::pair<std::string, std::string>> vars_;
    std::optional<std::string> asanOptions_;
};

struct FaultyRun {
    Outcome outcome;
    long injected = -1; // -1: the tool did not get to report
};

FaultyRun Faulty(const std::string& dir, const std::vector<std::string>& args,
                 const std::string& input, const std::string& fault) {
    const std::string report = dir + "/fault-report";
    fs::remove(report);
    FaultyRun run;
    {
        PreloadEnv env(ZEL_FAULT_VFS, {{"ZEL_FAULT", fault}, {"ZEL_FAULT_REPORT", report}});
        run.outcome = Exec(dir, args, input);
    }
    std::sscanf(Slurp(report).c_str(), "injected %ld", &run.injected);
    return run;
}

std::string Integrity(const std::string& db) {
    return QueryText(db, "PRAGMA integrity_check").value_or("<none>");
}

bool NamesItsCause(const Outcome& r) {
    const std::string text = r.out + r.err;
    return text.find("disk I/O error") != std::string::npos ||
           text.find("database or disk is full") != std::string::npos;
}

enum class Command { Grant, Passwd, Example };
const char* const kFaults[] = {"read", "write", "sync", "lock", "size", "full"};

struct IoFaults : WithExample<std::tuple<Command, const char*>> {};

std::string Name(const ::testing::TestParamInfo<IoFaults::ParamType>& info) {
    static const char* const commands[] = {"Grant", "Passwd", "Example"};
    return std::string(commands[static_cast<int>(std::get<0>(info.param))]) + "_" +
           std::get<1>(info.param);
}
} // namespace

INSTANTIATE_TEST_SUITE_P(EveryCall, IoFaults,
                         ::testing::Combine(::testing::Values(Command::Grant, Command::Passwd,
                                                              Command::Example),
                                            ::testing::ValuesIn(kFaults)),
                         Name);

TEST_P(IoFaults, TheRecordIsBeforeOrAfterAndTheDatabaseSound) {
    const auto [command, fault] = GetParam();
    TempDir dir;
    const std::string d = dir.Path().string();
    for (const char* f : {"main.dfm", "orders.dfm", "admin.dfm", "shop.db"}) {
        fs::copy_file(example->File(std::string("shop/") + f), dir.File(f));
        fs::permissions(dir.File(f), fs::perms::owner_read | fs::perms::owner_write);
    }
    const std::string db = dir.File("shop.db");
    const std::string pristine = Slurp(db);
    const std::string rightsQuery = "SELECT rights FROM users WHERE login = 'former'";
    const std::string passwordQuery = "SELECT password FROM users WHERE login = 'former'";
    const std::optional<std::string> rightsBefore = QueryText(db, rightsQuery);

    std::vector<std::string> args;
    std::string input;
    switch (command) {
    case Command::Grant:
        args = {"grant", "main.dfm", "admin.dfm", "-u", "former", "-r", "mnuOrderNew"};
        break;
    case Command::Passwd:
        args = {"passwd", "main.dfm", "-u", "former", "--password-stdin"};
        input = "new-secret\n";
        break;
    case Command::Example:
        args = {"example", "made"};
        break;
    }
    // What a save without faults leaves: the record as saved.
    const Outcome clean = Exec(d, args, input);
    ASSERT_EQ(clean.status, 0) << clean.err;
    const std::optional<std::string> rightsSaved = QueryText(db, rightsQuery);

    int injected = 0, refused = 0;
    for (int n = 1;; ++n) {
        ASSERT_LT(n, 2000) << "the command never got through";
        { std::ofstream(db, std::ios::binary | std::ios::trunc) << pristine; }
        fs::remove_all(dir.File("made"));
        const FaultyRun run = Faulty(d, args, input, std::string(fault) + ":" + std::to_string(n));
        const Outcome& r = run.outcome;
        const std::string what = std::string(fault) + ":" + std::to_string(n) + " status " +
                                 std::to_string(r.status) + "\n" + r.out + r.err;
        ASSERT_GE(run.injected, 0) << "the tool did not exit normally: " << what;
        ASSERT_TRUE(r.status == 0 || r.status == 1 || r.status == 2) << what;
        for (const char* report : {"Sanitizer", "runtime error", "terminate called"}) {
            EXPECT_EQ(r.err.find(report), std::string::npos) << what;
        }
        if (run.injected == 0) {
            EXPECT_EQ(r.status, 0) << what;
            break; // the n-th call never came: every earlier one has been failed once
        }
        ++injected;
        refused += r.status != 0 ? 1 : 0;
        if (r.status != 0) {
            EXPECT_TRUE(NamesItsCause(r)) << what;
        }
        if (command == Command::Example) {
            const std::string made = dir.File("made/shop.db");
            if (r.status == 0 || fs::exists(made)) {
                EXPECT_EQ(Integrity(made), "ok") << what;
                EXPECT_EQ(QueryText(made, "SELECT count(*) FROM users"), "4") << what;
            }
            continue;
        }
        EXPECT_EQ(Integrity(db), "ok") << what;
        if (command == Command::Grant) {
            const std::optional<std::string> now = QueryText(db, rightsQuery);
            EXPECT_TRUE(now == rightsBefore || now == rightsSaved) << what;
            if (r.status == 0) {
                EXPECT_EQ(now, rightsSaved) << what;
            }
        } else {
            const std::string now = QueryText(db, passwordQuery).value_or("");
            EXPECT_TRUE(now == "former" || now.rfind("$argon2id$", 0) == 0) << what;
            if (r.status == 0) {
                EXPECT_NE(now, "former") << what;
            }
        }
    }
    zel::test::Figure("I/O faults, " + Name({GetParam(), 0}) + ": " + std::to_string(injected) +
                      " injected, " + std::to_string(refused) + " refused with the cause, " +
                      std::to_string(injected - refused) + " got through");
}

// Every file the tool writes is made new: a link planted at its temporary name, between the
// choice of the name and the file's creation, is neither followed nor truncated.
TEST(PlantedLinks, AFileIsMadeNewWhereItsTemporaryNameWasTaken) {
    TempDir dir;
    const std::string d = dir.Path().string();
    { std::ofstream(dir.File("victim")) << "precious"; }
    Outcome made;
    {
        PreloadEnv env(ZEL_PLANT_LINK,
                       {{"ZEL_PLANT_SUFFIX", ".tmp"}, {"ZEL_PLANT_TARGET", dir.File("victim")}});
        made = Exec(d, {"example", "shop"});
    }
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(Slurp(dir.File("victim")), "precious");
    int planted = 0;
    for (const auto& entry : fs::directory_iterator(dir.File("shop"))) {
        planted += entry.is_symlink() ? 1 : 0;
    }
    EXPECT_EQ(planted, 1); // the link was there, and left alone
    EXPECT_TRUE(fs::is_regular_file(dir.File("shop/main.dfm")));
}
