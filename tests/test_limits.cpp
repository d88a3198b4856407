// The limits the form reader enforces, at their edges and through the tool, and a log-in
// over a large menu and a large user table staying within its stated memory.
#include "support/CliRun.h"
#include "zel/components/ZELRight.h"
#include "zel/host/forms/FormFile.h"
#include "zel/package/Package.h"

#include <malloc.h>
#include <memory>
#include <sqlite3.h>

using namespace zel::test::cli;

namespace {
// A form whose menu nests `depth` objects in all (the form itself counted), with one
// caption of `captionBytes` bytes.
std::string NestedForm(int depth, std::size_t captionBytes = 1) {
    std::string text = "object F: TForm\n  object M: TMainMenu\n";
    for (int i = 2; i < depth; ++i) {
        text += "object i" + std::to_string(i) + ": TMenuItem\n";
    }
    text += "Caption = '" + std::string(captionBytes, 'c') + "'\n";
    for (int i = 2; i < depth; ++i) {
        text += "end\n";
    }
    return text + "  end\nend\n";
}

constexpr std::size_t kMaxString = 1u << 20;
constexpr std::size_t kMaxFile = 64u << 20;
} // namespace

TEST(Limits, TheReaderTakesWhatIsWithinItsLimitsAndRefusesOneByteOrLevelMore) {
    struct Case {
        const char* what;
        std::string text;
        bool reads;
        const char* refusal;
    };
    const Case cases[] = {
        {"256 levels", NestedForm(256), true, ""},
        {"257 levels", NestedForm(257), false, "nested deeper than 256 levels"},
        {"a 1 MiB string", NestedForm(3, kMaxString), true, ""},
        {"a string of 1 MiB and a byte", NestedForm(3, kMaxString + 1), false,
         "string longer than 1048576 bytes"},
        {"a file of 64 MiB and a byte", NestedForm(3) + std::string(kMaxFile, ' '), false,
         "form file larger than 67108864 bytes"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Write(dir.File("f.dfm"), c.text);
        const Outcome r = Exec(dir.Path().string(), {"form", "check", "f.dfm"});
        EXPECT_EQ(r.status, c.reads ? 0 : 1) << c.what << ": " << r.out << r.err;
        EXPECT_NE(r.out.find(c.refusal), std::string::npos) << c.what << ": " << r.out;
    }
}

TEST(Limits, ALogInOver100000MenuItemsAndAMillionUsersKeepsItsMemory) {
    TempDir dir;
    {
        std::string form = "object MainForm: TForm\n  object MainMenu1: TMainMenu\n";
        for (int i = 0; i < 1000; ++i) {
            form += "object m" + std::to_string(i) + ": TMenuItem\nCaption = 'Item'\n";
            for (int j = 0; j < 99; ++j) {
                form += "object m" + std::to_string(i) + "_" + std::to_string(j) +
                        ": TMenuItem\nCaption = 'Sub'\nend\n";
            }
            form += "end\n";
        }
        form += "  end\n" + zel::test::UserTableFormLines("users.db", false) + "end\n";
        Write(dir.File("big.dfm"), form);
    }
    std::string lastRights = "\xFF"; // the last user holds every other item
    for (int i = 0; i < 1000; ++i) {
        for (int j = i % 2; j < 99; j += 2) {
            lastRights += "m" + std::to_string(i) + "_" + std::to_string(j) + "\xFF";
        }
    }
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dir.File("users.db").c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE users (login TEXT, password TEXT, rights BLOB); BEGIN",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO users VALUES (?, 'pw', ?)", -1, &insert, nullptr);
        for (int i = 0; i < 1000000; ++i) {
            const std::string login = i == 999999 ? "last" : "u" + std::to_string(i);
            const std::string rights = i == 999999 ? lastRights : "\xFFm0\xFF";
            sqlite3_bind_text(insert, 1, login.data(), static_cast<int>(login.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_blob(insert, 2, rights.data(), static_cast<int>(rights.size()),
                              SQLITE_TRANSIENT);
            ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    long peak[2] = {};
    int k = 0;
    for (const char* user : {"u0", "last"}) {
        const Outcome r =
            Exec(dir.Path().string(), {"login", "big.dfm", "-u", user, "--password-stdin"}, "pw\n");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("Logged in as ") + user), std::string::npos);
        peak[k++] = r.peakKb;
        zel::test::Figure(std::string("login over 100,000 menu items as the ") +
                          (k == 1 ? "first" : "last") +
                          " of 1,000,000 users: " + std::to_string(r.seconds).substr(0, 5) +
                          " s, " + std::to_string(r.peakKb / 1024) + " MB peak");
    }
    // The peak is the larger of the tool's and this process's size when it forked, a few MB.
    // The user table is read a batch at a time: finding the last user costs no memory.
    EXPECT_LT(peak[1], peak[0] + 16 * 1024);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(peak[1], 256 * 1024) << "the README states 256 MB for this log-in";

    // In this process, by the allocator's own count: what the form keeps an item once read,
    // and once the last user (half the items granted) has logged in.
    zel::package::Initialize();
    const std::size_t heap = mallinfo2().uordblks;
    std::unique_ptr<zel::host::TForm> form(zel::host::ReadForm(dir.File("big.dfm")));
    const double read = static_cast<double>(mallinfo2().uordblks - heap) / 100000;
    auto* rights = dynamic_cast<zel::TZELRight*>(form->FindComponent("Rights"));
    ASSERT_NE(rights, nullptr);
    rights->SetUserID("last");
    rights->SetUserPassword("pw");
    ASSERT_TRUE(rights->LoadSetting()) << rights->LastErrorText();
    EXPECT_TRUE(rights->HasRight("m999_97"));
    EXPECT_FALSE(rights->HasRight("m999_98"));
    const double loggedIn = static_cast<double>(mallinfo2().uordblks - heap) / 100000;
    zel::test::Figure("a form of 100,000 menu items keeps " +
                      std::to_string(static_cast<int>(read)) + " bytes an item, " +
                      std::to_string(static_cast<int>(loggedIn)) + " after a log-in");
    EXPECT_LE(read, 400);
    EXPECT_LE(loggedIn, 400);
#endif
}
