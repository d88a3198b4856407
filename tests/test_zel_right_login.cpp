// Log-in against real user tables, in SQLite and in PostgreSQL alike.
#include "support/TestSupport.h"
#include "support/UserStore.h"
#include "zel/components/ConstantTimeEqual.h"
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace zel::host;
using namespace zel::test;

namespace {
const char* kBadId = "Invalid user ID!";
const char* kBadPassword = "Invalid password!";
const char* kError = "Cannot load setting due to error!";

struct Login : ::testing::TestWithParam<Backend> {
    TempDir dir;
    UserStore store{GetParam(), dir.Path().string()};
    TForm form{nullptr};
    TMainMenu* menu = new TMainMenu(&form);
    TDataSet* table = store.NewTable(&form, "users");
    TDataSource* source = new TDataSource(&form);
    TZELRight* rights = new TZELRight(&form);
    TMenuItem *file = nullptr, *open = nullptr, *help = nullptr;
    MessageRecorder messages;

    void Users(const std::vector<UserRow>& rows, const std::string& pgType = "text") {
        store.MakeUserTable("users", "login", "password", "rights", rows, pgType);
        table->Open();
    }
    void SetUp() override {
        file = AddItem(&form, menu->Items(), "mnuFile", "&File");
        open = AddItem(&form, file, "mnuOpen", "&Open");
        help = AddItem(&form, menu->Items(), "mnuHelp", "&Help");
        source->SetDataSet(table);
        rights->SetDataSource(source);
        rights->SetLinkedMainMenu(menu);
        rights->SetUserIDFieldName("login");
        rights->SetUserPasswordFieldName("password");
        rights->SetUserAccessRightFieldName("rights");
    }
    bool LogIn(const std::string& id, const std::string& password) {
        messages.Clear();
        rights->SetUserID(id);
        rights->SetUserPassword(password);
        return rights->LoadSetting();
    }
    std::vector<std::string> Granted() { return rights->GetAuthorisedMenuItems()->Items(); }
};
using V = std::vector<std::string>;
} // namespace

INSTANTIATE_TEST_SUITE_P(Backends, Login, kEveryBackend, BackendName);

TEST_P(Login, RightUserGetsExactlyTheStoredRights) {
    Users({{"ann", "pw", Rights({"mnuOpen", "MNUOPEN"})}, {"bob", "x", Rights({})}});
    ASSERT_TRUE(LogIn("ann", "pw"));
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(Granted(), (V{"", "mnuOpen", "MNUOPEN"})); // the empty name, duplicates kept
    EXPECT_TRUE(rights->HasRight(""));
    EXPECT_TRUE(rights->HasRight("mnuopen"));
    EXPECT_FALSE(file->Enabled());
    EXPECT_TRUE(open->Enabled());
    EXPECT_FALSE(help->Enabled());
    EXPECT_EQ(table->FieldByName("login").AsString(), "ann"); // cursor on the match

    const auto& m = messages.Messages();
    EXPECT_TRUE(m.empty());
}

TEST_P(Login, RefusalsShowTheirMessageAndKeepThePreviousRights) {
    Users({{"ann", "pw", Rights({"mnuOpen"})},
           {"dup", "first", Rights({"mnuHelp"})},
           {"dup", "second", Rights({"mnuFile"})}});
    ASSERT_TRUE(LogIn("ann", "pw"));
    const V annRights = Granted();

    EXPECT_FALSE(LogIn("ANN", "pw")); // case matters
    EXPECT_EQ(messages.Texts(), V{kBadId});
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(Granted(), annRights);

    EXPECT_FALSE(LogIn("ann", "pw ")); // no trimming
    EXPECT_EQ(messages.Texts(), V{kBadPassword});
    EXPECT_EQ(Granted(), annRights);

    EXPECT_FALSE(LogIn("dup", "second")); // only the first record of an ID is tried
    EXPECT_EQ(messages.Texts(), V{kBadPassword});
    EXPECT_EQ(table->FieldByName("password").AsString(), "first");
    EXPECT_TRUE(LogIn("dup", "first"));

    // Every message is a confirmation box with OK only and help context 0.
    EXPECT_FALSE(LogIn("nobody", ""));
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].type, mtConfirmation);
    EXPECT_EQ(messages.Messages()[0].buttons, TMsgDlgButtons({mbOK}));
    EXPECT_EQ(messages.Messages()[0].helpContext, 0);
}

TEST_P(Login, EmptyTableRefusesEveryone) {
    Users({});
    EXPECT_FALSE(LogIn("", ""));
    EXPECT_EQ(messages.Texts(), V{kBadId});
}

TEST_P(Login, NullUserIdOrPasswordMatchesNothing) {
    Users({{std::nullopt, std::nullopt, Rights({"mnuOpen"})},
           {"ann", std::nullopt, Rights({"mnuOpen"})}});
    EXPECT_FALSE(LogIn("", ""));
    EXPECT_EQ(messages.Texts(), V{kBadId});
    EXPECT_FALSE(LogIn("ann", ""));
    EXPECT_EQ(messages.Texts(), V{kBadPassword});
}

TEST_P(Login, EmptyTextIsAnOrdinaryValue) {
    Users({{"", "", std::nullopt}});
    EXPECT_TRUE(LogIn("", ""));
    EXPECT_EQ(Granted(), V{});
    EXPECT_FALSE(open->Enabled());
}

TEST_P(Login, PreviousUsersRightsNeverCarryOver) {
    Users({{"ann", "a", Rights({"mnuOpen"})}, {"bob", "b", Rights({"mnuHelp"})}});
    ASSERT_TRUE(LogIn("ann", "a"));
    ASSERT_TRUE(LogIn("bob", "b"));
    EXPECT_EQ(Granted(), (V{"", "mnuHelp"}));
    EXPECT_FALSE(open->Enabled());
    EXPECT_TRUE(help->Enabled());
}

TEST_P(Login, TheCauseOfAFailureIsKept) {
    Users({{"ann", "pw", Rights({"mnuOpen"})}});
    rights->SetUserIDFieldName("nosuch");
    EXPECT_FALSE(LogIn("ann", "pw"));
    EXPECT_NE(rights->LastErrorText().find("nosuch"), std::string::npos);
    rights->SetUserIDFieldName("login");
    EXPECT_TRUE(LogIn("ann", "pw"));
    EXPECT_EQ(rights->LastErrorText(), "");
}

TEST_P(Login, MisspeltRightsFieldLeavesNoRightsAndDisablesTheMenu) {
    Users({{"ann", "pw", Rights({"mnuOpen", "mnuFile", "mnuHelp"})}});
    ASSERT_TRUE(LogIn("ann", "pw"));
    rights->SetUserAccessRightFieldName("rigths");
    EXPECT_FALSE(LogIn("ann", "pw"));
    EXPECT_EQ(messages.Texts(), V{kError});
    EXPECT_EQ(Granted(), V{});
    EXPECT_FALSE(file->Enabled());
    EXPECT_FALSE(open->Enabled());
    EXPECT_FALSE(help->Enabled());
}

TEST_P(Login, MisspeltIdOrPasswordFieldIsAnError) {
    Users({{"ann", "pw", Rights({"mnuOpen"})}});
    rights->SetUserIDFieldName("logn");
    EXPECT_FALSE(LogIn("ann", "pw"));
    EXPECT_EQ(messages.Texts(), V{kError});
    rights->SetUserIDFieldName("login");
    rights->SetUserPasswordFieldName("pass");
    EXPECT_FALSE(LogIn("ann", "pw"));
    EXPECT_EQ(messages.Texts(), V{kError});
}

TEST_P(Login, NoMenuLinkedEndsWithAnEmptyList) {
    Users({{"ann", "pw", Rights({"mnuOpen"})}});
    rights->SetLinkedMainMenu(nullptr);
    EXPECT_FALSE(LogIn("ann", "pw"));
    EXPECT_EQ(messages.Texts(), V{kError});
    EXPECT_EQ(Granted(), V{});
}

TEST_P(Login, NoDataSourceOrDataSetOrClosedTableIsAnError) {
    Users({{"ann", "pw", Rights({"mnuOpen"})}});
    table->Close();
    EXPECT_FALSE(LogIn("ann", "pw"));
    EXPECT_EQ(messages.Texts(), V{kError});
    table->Open();
    table->Free(); // the data source forgets it
    EXPECT_FALSE(LogIn("ann", "pw"));
    EXPECT_EQ(messages.Texts(), V{kError});
    source->Free(); // the provider forgets it
    EXPECT_EQ(rights->DataSource(), nullptr);
    EXPECT_FALSE(LogIn("ann", "pw"));
    EXPECT_EQ(messages.Texts(), V{kError});
}

TEST_P(Login, SpecialItemsGoAtLogIn) {
    AddItem(&form, file, "mnuDebug", "<Debug");
    Users({{"ann", "pw", Rights({"mnuDebug"})}});
    ASSERT_TRUE(LogIn("ann", "pw"));
    EXPECT_EQ(form.FindComponent("mnuDebug"), nullptr);
    EXPECT_EQ(file->Count(), 1);
    EXPECT_TRUE(rights->HasRight("mnuDebug")); // the name stays granted
}

TEST_P(Login, EveryByteOfAnIdAndPasswordMatchesExactly) {
    std::string id, password;
    for (int c = 1; c < 256; ++c) {
        id += static_cast<char>(c);
        password += static_cast<char>(255 - c + 1);
    }
    Users({{id, password, Rights({"mnuHelp"})}}, "bytea"); // not all of them are text
    EXPECT_TRUE(LogIn(id, password));
    EXPECT_TRUE(help->Enabled());
    std::string wrong = password;
    wrong.back() = 'x';
    EXPECT_FALSE(LogIn(id, wrong));
    EXPECT_FALSE(LogIn(id, password.substr(0, 10)));
    EXPECT_EQ(messages.Texts(), V{kBadPassword});
}

TEST(ConstantTimeEqual, SameResultAsPlainComparison) {
    for (const auto& [a, b] :
         std::vector<std::pair<std::string, std::string>>{{"", ""},
                                                          {"a", ""},
                                                          {"", "a"},
                                                          {"abc", "abc"},
                                                          {"abc", "abd"},
                                                          {"abc", "ab"},
                                                          {std::string("a\0", 2), "a"},
                                                          {"\xFF", "\xFF"}}) {
        EXPECT_EQ(ConstantTimeEqual(a, b), a == b) << a << "|" << b;
    }
}
