// The rights editor and the user record: load, save, failures, and the whole road from an
// administrator's edit to a user's log-in.
#include "support/EditorRows.h"
#include "support/TestSupport.h"
#include "support/UserStore.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/forms/FormFile.h"
#include "zel/host/sqlite/SQLiteTable.h"
#include "zel/package/Package.h"

#include <fstream>
#include <gtest/gtest.h>
#include <memory>
using namespace zel;
using namespace zel::host;
using namespace zel::test;

namespace {
const char* kLoadError = "Cannot load setting due to error!";
const char* kSaveError = "Cannot save setting due to error!";
using V = std::vector<std::string>;

// Menu: P (C (D)), A, B, Gone is not in the menu.
struct Record : ::testing::TestWithParam<Backend> {
    TempDir dir;
    UserStore store{GetParam(), dir.Path().string()};
    TForm form{nullptr};
    TMainMenu* menu = new TMainMenu(&form);
    TDataSet* table = store.NewTable(&form, "users");
    TDataSource* source = new TDataSource(&form);
    TZELMenuCheckListBox* editor = new TZELMenuCheckListBox(&form);
    MessageRecorder messages;

    void SetUp() override {
        auto* p = AddItem(&form, menu->Items(), "P", "&Parent");
        auto* c = AddItem(&form, p, "C", "&Child");
        AddItem(&form, c, "D", "&Deeper");
        AddItem(&form, menu->Items(), "A", "&A");
        AddItem(&form, menu->Items(), "B", "&B");
        store.MakeUserTable("users", "login", "password", "rights",
                            {{"ann", "x", Rights({"A", "B"})},
                             {"bob", "y", Rights({"Gone", "D", "d", "D"})},
                             {"cat", "z", std::nullopt},
                             {"dan", "w",
                              "\xFF"
                              "A\xFF"
                              "B"}});
        table->Open();
        source->SetDataSet(table);
        editor->SetDataSource(source);
        editor->SetUserAccessRightFieldName("rights");
        editor->SetLinkedMainMenu(menu);
    }
    void MoveTo(const std::string& login) {
        for (table->First(); !table->Eof(); table->Next()) {
            if (table->FieldByName("login").AsString() == login) {
                return;
            }
        }
        FAIL() << login;
    }
    std::optional<std::string> Stored(const std::string& login) {
        return store.Query("SELECT rights FROM users WHERE login = '" + login + "'");
    }
};
// What only a database file can do.
struct RecordInFile : Record {};
} // namespace

INSTANTIATE_TEST_SUITE_P(Backends, Record, kEveryBackend, BackendName);
INSTANTIATE_TEST_SUITE_P(File, RecordInFile, ::testing::Values(Backend::SQLite), BackendName);

TEST_P(Record, LoadChecksExactlyTheNamedRowsWithoutPropagation) {
    MoveTo("ann");
    ASSERT_TRUE(editor->LoadSetting());
    EXPECT_EQ(Checked(*editor), (V{"A", "B"}));
    EXPECT_EQ(Granted(*editor), (V{"A", "B"})); // the empty token matches no row
    MoveTo("bob");
    ASSERT_TRUE(editor->LoadSetting());
    EXPECT_EQ(Checked(*editor), V{"D"}); // a child without its parents, as stored
    EXPECT_EQ(Granted(*editor), V{"D"}); // unknown and repeated names gone
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_P(Record, NothingOfTheUserLoadedBeforeSurvives) {
    MoveTo("ann");
    editor->LoadSetting();
    Toggle(*editor, "P"); // an unsaved edit: P, C, D granted
    MoveTo("cat");        // NULL rights: nothing
    ASSERT_TRUE(editor->LoadSetting());
    EXPECT_EQ(Checked(*editor), V{});
    EXPECT_EQ(Granted(*editor), V{});
    editor->SaveSetting();
    EXPECT_EQ(Stored("cat"), "\xFF");
    EXPECT_EQ(Stored("ann"), Rights({"A", "B"}));
}

TEST_P(Record, TextAfterTheLastTerminatorIsDropped) {
    MoveTo("dan");
    ASSERT_TRUE(editor->LoadSetting());
    EXPECT_EQ(Granted(*editor), V{"A"});
}

TEST_P(Record, SavedTextFollowsTheOrderOfGranting) {
    MoveTo("cat");
    editor->LoadSetting();
    Toggle(*editor, "C"); // the row, its subtree, then its ancestors
    EXPECT_EQ(Granted(*editor), (V{"C", "D", "P"}));
    Toggle(*editor, "A");
    editor->SaveSetting();
    EXPECT_EQ(Stored("cat"), Rights({"C", "D", "P", "A"}));
    if (store.Kind() == Backend::SQLite) {
        // 0xFF is not UTF-8: the rights go in as a BLOB, which other readers accept.
        EXPECT_EQ(store.Query("SELECT typeof(rights) FROM users WHERE login = 'cat'"), "blob");
    }
    // Loading it back gives the same.
    MoveTo("ann");
    editor->LoadSetting();
    MoveTo("cat");
    editor->LoadSetting();
    EXPECT_EQ(Granted(*editor), (V{"C", "D", "P", "A"}));
}

TEST_P(Record, MisspeltFieldKeepsTheRowsAndShowsTheLoadMessage) {
    MoveTo("ann");
    editor->LoadSetting();
    editor->SetUserAccessRightFieldName("rigths");
    MoveTo("bob");
    EXPECT_FALSE(editor->LoadSetting());
    EXPECT_EQ(messages.Texts(), V{kLoadError});
    EXPECT_EQ(Checked(*editor), (V{"A", "B"}));
    messages.Clear();
    editor->SaveSetting();
    EXPECT_EQ(messages.Texts(), V{kSaveError});
    EXPECT_EQ(table->State(), dsBrowse); // the failed edit was cancelled
    EXPECT_EQ(Stored("bob"), Rights({"Gone", "D", "d", "D"}));
}

TEST_P(Record, NoDataSourceOrMenuFailsTheLoad) {
    table->Free();
    EXPECT_FALSE(editor->LoadSetting());
    editor->SaveSetting();
    EXPECT_EQ(messages.Texts(), (V{kLoadError, kSaveError}));
}

TEST_P(Record, ReadOnlyTableRefusesTheSave) {
    table->Close();
    SetReadOnly(*table, true);
    table->Open();
    MoveTo("ann");
    editor->LoadSetting();
    Toggle(*editor, "P");
    editor->SaveSetting();
    EXPECT_EQ(messages.Texts(), V{kSaveError});
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(Stored("ann"), Rights({"A", "B"}));
}

TEST_P(Record, ARecordChangedByAnotherConnectionIsNotOverwritten) {
    MoveTo("ann");
    editor->LoadSetting();
    store.Exec("UPDATE users SET rights = 'theirs' WHERE login = 'ann'");
    Toggle(*editor, "P");
    editor->SaveSetting();
    EXPECT_EQ(messages.Texts(), V{kSaveError});
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(Stored("ann"), "theirs");
    EXPECT_EQ(editor->LastErrorText(), "Record changed by another user");
    // The record was read again: the next load shows what is stored, and a save then lands.
    EXPECT_EQ(table->FieldByName("rights").AsString(), "theirs");
    ASSERT_TRUE(editor->LoadSetting());
    Toggle(*editor, "P");
    editor->SaveSetting();
    EXPECT_EQ(editor->LastErrorText(), "");
    EXPECT_EQ(Stored("ann"), Rights({"P", "C", "D"}));
}

TEST_P(Record, AFailedSaveKeepsTheApplicationsOwnEdit) {
    MoveTo("ann");
    editor->LoadSetting();
    table->Edit();
    table->FieldByName("password").SetAsVariant(TVariant("new secret"));
    store.Exec("UPDATE users SET rights = 'theirs' WHERE login = 'ann'");
    editor->SaveSetting();
    EXPECT_EQ(messages.Texts(), V{kSaveError});
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("password").AsString(), "new secret");
}

TEST_P(RecordInFile, ReadOnlyDatabaseFileRefusesTheSave) {
    // A file nobody may write is opened read-only, even by root; Edit refuses.
    table->Close();
    std::filesystem::permissions(store.Where(), std::filesystem::perms::owner_read);
    table->Open();
    MoveTo("ann");
    editor->LoadSetting();
    Toggle(*editor, "B");
    editor->SaveSetting();
    std::filesystem::permissions(store.Where(), std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_write);
    EXPECT_EQ(messages.Texts(), V{kSaveError});
    EXPECT_EQ(Stored("ann"), Rights({"A", "B"}));
}

TEST_P(Record, MessagesAreConfirmationsWithOkOnly) {
    editor->SetUserAccessRightFieldName("nope");
    editor->LoadSetting();
    editor->SaveSetting();
    ASSERT_EQ(messages.Messages().size(), 2u);
    for (const TMessage& m : messages.Messages()) {
        EXPECT_EQ(m.type, mtConfirmation);
        EXPECT_EQ(m.buttons, TMsgDlgButtons({mbOK}));
        EXPECT_EQ(m.helpContext, 0);
    }
}

// ---- End to end, through form files ------------------------------------------------------

namespace {
void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

const std::string kMain = R"(object MainForm: TForm
  object MainMenu1: TMainMenu
    object mnuFile: TMenuItem
      Caption = '&File'
      object mnuOpen: TMenuItem
        Caption = '&Open'
      end
      object mnuSep: TMenuItem
        Caption = '-'
      end
      object mnuExit: TMenuItem
        Caption = 'E&xit'
      end
    end
    object mnuOrders: TMenuItem
      Caption = '&Orders'
      object mnuNew: TMenuItem
        Caption = '&New'
      end
      object mnuDebug: TMenuItem
        Caption = '<Debug'
      end
    end
  end
)" + UserTableFormLines("shop.db", true) +
                          "end\n";

const char* kAdmin = R"(object AdminForm: TForm
  object AdminTable: TSQLiteTable
    DatabaseName = 'shop.db'
    TableName = 'users'
    Active = True
  end
  object AdminSource: TDataSource
    DataSet = AdminTable
  end
  object Editor: TZELMenuCheckListBox
    DataSource = AdminSource
    HideDisabledItem = False
    LinkedMainMenu = MainForm.MainMenu1
    UserAccessRightFieldName = 'rights'
  end
end
)";

const char* kOrders = R"(object OrdersForm: TForm
  object NewOrder: TZELBitBtn
    ZELRight = MainForm.Rights
    Right = 'mnuNew'
  end
  object Debug: TZELButton
    ZELRight = MainForm.Rights
    Right = 'mnuDebug'
  end
  object Refund: TZELButton
    ZELRight = MainForm.Rights
    Right = 'mnuRefund'
  end
end
)";
} // namespace

TEST(EndToEnd, AnAdministratorsSavedEditIsWhatTheUserGetsAtLogIn) {
    package::Initialize();
    TempDir dir;
    MakeUserTable(dir.File("shop.db"), "users", "login", "password", "rights",
                  {{"admin", "a", Rights({"mnuFile"})}, {"clerk", "c", Rights({"mnuOpen"})}});
    WriteFile(dir.File("main.dfm"), kMain);
    WriteFile(dir.File("admin.dfm"), kAdmin);
    WriteFile(dir.File("orders.dfm"), kOrders);
    MessageRecorder messages;

    std::unique_ptr<TForm> main(ReadForm(dir.File("main.dfm")));
    {
        std::unique_ptr<TForm> admin(ReadForm(dir.File("admin.dfm")));
        EXPECT_EQ(WriteForm(*admin), kAdmin); // the editor's properties round-trip too
        auto* editor = dynamic_cast<TZELMenuCheckListBox*>(admin->FindComponent("Editor"));
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->Items().Items(),
                  (V{"File", "  Open", "  Exit", "Orders", "  New", "  <Debug"}));
        auto* table = dynamic_cast<TDataSet*>(admin->FindComponent("AdminTable"));
        table->First();
        table->Next(); // the clerk
        ASSERT_TRUE(editor->LoadSetting());
        EXPECT_EQ(editor->Granted().Items(), V{"mnuOpen"});
        editor->ToggleRow(editor->MenuItemNames().IndexOf("mnuOpen"));  // revoke Open
        editor->ToggleRow(editor->MenuItemNames().IndexOf("mnuNew"));   // grant New and Orders
        editor->ToggleRow(editor->MenuItemNames().IndexOf("mnuDebug")); // and Debug
        EXPECT_EQ(editor->Granted().Items(), (V{"mnuNew", "mnuOrders", "mnuDebug"}));
        editor->SaveSetting();
        EXPECT_TRUE(messages.Texts().empty()) << messages.Texts()[0];
    }
    auto* rights = dynamic_cast<TZELRight*>(main->FindComponent("Rights"));
    rights->SetUserID("clerk");
    rights->SetUserPassword("c");
    ASSERT_TRUE(rights->LoadSetting());
    EXPECT_EQ(rights->GetAuthorisedMenuItems()->Items(),
              (V{"", "mnuNew", "mnuOrders", "mnuDebug"}));
    auto* root = dynamic_cast<TMainMenu*>(main->FindComponent("MainMenu1"))->Items();
    EXPECT_EQ(DumpMenu(root), "mnuFile &File [--]\n"
                              "  mnuOpen &Open [--]\n"
                              "  mnuSep - [EV]\n"
                              "  mnuExit E&xit [--]\n"
                              "mnuOrders &Orders [EV]\n"
                              "  mnuNew &New [EV]\n");
    // Buttons on a form read after the log-in.
    std::unique_ptr<TForm> orders(ReadForm(dir.File("orders.dfm")));
    auto state = [&](const char* name) {
        auto* c = dynamic_cast<TControl*>(orders->FindComponent(name));
        return std::string(c->Enabled() ? "E" : "-") + (c->Visible() ? "V" : "-");
    };
    EXPECT_EQ(state("NewOrder"), "EV");
    EXPECT_EQ(state("Debug"), "EV");  // the special item is gone, its right is held
    EXPECT_EQ(state("Refund"), "--"); // no such right; the provider hides
}
