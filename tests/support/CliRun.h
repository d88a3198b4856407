#pragma once
// Running the zel tool as a user runs it: the built binary, in a folder, with standard
// input given; and the staff application its tests use, with forms written by hand and its
// table in SQLite (staff.db) or PostgreSQL.
#include "support/TestSupport.h"
#include "support/UserStore.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifndef ZEL_TOOL
#error "ZEL_TOOL must name the built zel binary"
#endif

namespace zel::test::cli {

using Json = nlohmann::json;
using zel::test::TempDir;

struct Outcome {
    int status = -1;
    std::string out, err;
    long peakKb = 0;    ///< the run's peak resident memory
    double seconds = 0; ///< its wall-clock time
    Json json() const { return Json::parse(out); }
};

inline std::string Slurp(int fd) {
    std::string data;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs `program args` in `dir` with `input` on standard input (never a terminal).
inline Outcome Exec(const std::string& dir, const std::vector<std::string>& args,
                    const std::string& input = "", const std::string& program = ZEL_TOOL) {
    int in[2], out[2], err[2];
    EXPECT_EQ(pipe(in), 0);
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            close(fd);
        }
        if (chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        alarm(60); // a hang ends as a failed run, not a stuck suite
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (!input.empty()) {
        EXPECT_EQ(write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    }
    close(in[1]);
    Outcome r;
    // Read stderr after stdout: outputs here are small enough not to fill a pipe.
    r.out = Slurp(out[0]);
    r.err = Slurp(err[0]);
    close(out[0]);
    close(err[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peakKb = usage.ru_maxrss;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return r;
}

inline void Sqlite(const std::string& dir, const std::string& db, const std::string& sql) {
    Outcome r = Exec(dir, {db, sql}, "", "sqlite3");
    ASSERT_EQ(r.status, 0) << r.err;
}

inline std::string Query(const std::string& dir, const std::string& db, const std::string& sql) {
    return Exec(dir, {db, sql}, "", "sqlite3").out;
}

inline void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> Keys(const Json& object) {
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it) {
        keys.push_back(it.key());
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}
using V = std::vector<std::string>;

// A staff table of another application: its own field names, rights made in SQL.
inline const char* kStaffForm = R"(object StaffMain: TForm
  object Menu: TMainMenu
    object miSales: TMenuItem
      Caption = '&Sales'
      object miQuote: TMenuItem
        Caption = '&Quote'
      end
      object miLine: TMenuItem
        Caption = '-'
      end
      object miInvoice: TMenuItem
        Caption = '&Invoice'
        object miVoid: TMenuItem
          Caption = '&Void'
        end
      end
    end
    object miSecret: TMenuItem
      Caption = '<Secret'
    end
  end
  object Staff: TSQLiteTable
    DatabaseName = 'staff.db'
    TableName = 'staff'
    Active = True
  end
  object StaffSource: TDataSource
    DataSet = Staff
  end
  object Guard: TZELRight
    DataSource = StaffSource
    HideDisabledItem = True
    LinkedMainMenu = Menu
    UserAccessRightFieldName = 'acl'
    UserIDFieldName = 'uid'
    UserPasswordFieldName = 'pin'
  end
end
)";

inline const char* kStaffButtons = R"(object Till: TForm
  object btnQuote: TZELButton
    ZELRight = StaffMain.Guard
    Right = 'miQuote'
  end
  object btnVoid: TZELBitBtn
    ZELRight = StaffMain.Guard
    Right = 'MIVOID'
  end
end
)";

inline const char* kStaffAdmin = R"(object StaffAdmin: TForm
  object AdminStaff: TSQLiteTable
    DatabaseName = 'staff.db'
    TableName = 'staff'
    Active = True
  end
  object AdminSource: TDataSource
    DataSet = AdminStaff
  end
  object Acl: TZELMenuCheckListBox
    DataSource = AdminSource
    LinkedMainMenu = StaffMain.Menu
    UserAccessRightFieldName = 'acl'
  end
end
)";

// The staff forms on the test's backend: on a server the tables name the test's schema or
// database.
inline std::string OnBackend(std::string form, const zel::test::UserStore& store) {
    const std::string file = "TSQLiteTable\n    DatabaseName = 'staff.db'";
    std::string table;
    switch (store.Kind()) {
    case zel::test::Backend::SQLite:
        return form;
    case zel::test::Backend::Postgres:
        table = "TPgTable\n    ConnectionString = '" + store.Where() + "'";
        break;
    case zel::test::Backend::QtSqlite:
        table = "TQtSqlTable\n    Driver = 'QSQLITE'\n    DatabaseName = 'staff.db'";
        break;
    case zel::test::Backend::MariaDB:
        table = "TQtSqlTable\n    Driver = 'QMYSQL'\n    DatabaseName = '" + store.Where() +
                "'\n    UserName = 'zel'\n    ConnectOptions = 'UNIX_SOCKET=" +
                zel::test::TestMariaDB() + "'";
        break;
    }
    for (auto at = form.find(file); at != std::string::npos; at = form.find(file, at)) {
        form.replace(at, file.size(), table);
    }
    return form;
}

struct Cli : ::testing::TestWithParam<zel::test::Backend> {
    TempDir dir;
    std::string d = dir.Path().string();
    zel::test::UserStore store{GetParam(), d, "staff.db"};
    std::string staffForm = OnBackend(kStaffForm, store);
    std::string staffAdmin = OnBackend(kStaffAdmin, store);
    void SetUp() override {
        Write(dir.File("staff.dfm"), staffForm);
        Write(dir.File("till.dfm"), kStaffButtons);
        Write(dir.File("admin.dfm"), staffAdmin);
        store.MakeUserTable("staff", "uid", "pin", "acl",
                            {{"ann", "1234", zel::test::Rights({"miSales", "miQuote"})},
                             {"Jos\xE9", "p", zel::test::Rights({"miVoid"})},
                             {"bob", "", std::nullopt}});
    }
    // The stored rights of `uid` in hexadecimal, as the sqlite3 shell's hex() prints them.
    std::string Acl(const std::string& uid) {
        const auto bytes = store.Query("SELECT acl FROM staff WHERE uid = '" + uid + "'");
        std::string hex;
        for (unsigned char c : bytes.value_or("")) {
            hex += "0123456789ABCDEF"[c >> 4];
            hex += "0123456789ABCDEF"[c & 15];
        }
        return hex + "\n";
    }
};
// What only a database file (or no database at all) shows.
struct CliFile : Cli {};

// Parameterised tests that each start from a copy of one example, made once for the suite.
template <class Param> struct WithExample : ::testing::TestWithParam<Param> {
    static inline TempDir* example = nullptr;
    static void SetUpTestSuite() {
        example = new TempDir;
        ASSERT_EQ(Exec(example->Path().string(), {"example", "shop"}).status, 0);
    }
    static void TearDownTestSuite() {
        delete example;
        example = nullptr;
    }
};
} // namespace zel::test::cli
