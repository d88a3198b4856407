#pragma once
// Running the zel tool as a user runs it: the built binary, in a folder, with standard
// input given; and the staff application its tests use, with forms written by hand and a
// database made with the sqlite3 shell.
#include "support/TestSupport.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
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

// Runs `program args` in `dir` with `input` on standard input (never a terminal).
inline Outcome Exec(const std::string& dir, const std::vector<std::string>& args,
                    const std::string& input = "", const std::string& program = ZEL_TOOL) {
    int in[2], out[2], err[2];
    EXPECT_EQ(pipe(in), 0);
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
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
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

struct Cli : ::testing::Test {
    TempDir dir;
    std::string d = dir.Path().string();
    void SetUp() override {
        Write(dir.File("staff.dfm"), kStaffForm);
        Write(dir.File("till.dfm"), kStaffButtons);
        Write(dir.File("admin.dfm"), kStaffAdmin);
        Sqlite(d, "staff.db",
               "CREATE TABLE staff (uid TEXT, pin TEXT, acl TEXT);"
               "INSERT INTO staff VALUES ('ann', '1234', "
               "CAST(X'FF6D6953616C6573FF6D6951756F7465FF' AS TEXT));"
               "INSERT INTO staff VALUES ('Jos' || CAST(X'E9' AS TEXT), 'p', "
               "CAST(X'FF6D69566F6964FF' AS TEXT));"
               "INSERT INTO staff VALUES ('bob', '', NULL);");
    }
    std::string Acl(const std::string& uid) {
        return Query(d, "staff.db", "SELECT hex(acl) FROM staff WHERE uid = '" + uid + "'");
    }
};
} // namespace zel::test::cli
