// Access-right strings of any bytes, through the reader and writer and through a real
// log-in and save on an in-memory user table: the provider grants exactly the stored
// tokens and the menu shows them; the editor saves exactly its granted list, which reads
// back unchanged.
#include "FuzzSupport.h"
#include "zel/accessright/AccessRight.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/sqlite/SQLiteTable.h"

using namespace zel;

namespace {
using Names = std::vector<std::string>;

Names Tokens(const std::string& text) {
    Names tokens;
    accessright::Read(text, [&](const std::string& t) { tokens.push_back(t); });
    return tokens;
}

host::TStringList ListOf(const Names& names) {
    host::TStringList list;
    for (const auto& n : names) {
        list.Add(n);
    }
    return list;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Setup();
    static fuzz::MemoryUsers users("fuzz_rights");
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const std::string id = in.Bytes(16);
    const std::string toggles = in.Bytes(16);
    const std::string stored = in.Rest();

    // The writer and reader: the string of a list reads back as the empty name, then the list.
    const Names tokens = Tokens(stored);
    Names again = Tokens(accessright::Write(ListOf(tokens)));
    fuzz::Check(!again.empty() && again.front().empty(), "a written string must start empty");
    again.erase(again.begin());
    fuzz::Check(again == tokens, "the access-right string did not read back as written");

    // The first record of the user ID wins; "ann" comes first and holds other rights.
    users.Reset({{"ann", "pw", "\xFFmnuH\xFF"}, {id, "pw", stored}, {id, "pw", "\xFFmnuE\xFF"}});
    const Names expected = Tokens(id == "ann" ? "\xFFmnuH\xFF" : stored);

    host::TForm form(nullptr);
    host::TMainMenu* menu = fuzz::MakeMenu(form);
    auto* table = new host::TSQLiteTable(&form);
    table->SetDatabaseName(users.Uri());
    table->SetTableName("users");
    auto* source = new host::TDataSource(&form);
    source->SetDataSet(table);
    auto* provider = new TZELRight(&form);
    provider->SetDataSource(source);
    provider->SetLinkedMainMenu(menu);
    provider->SetHideDisabledItem(flags & 1);
    provider->SetUserIDFieldName("login");
    provider->SetUserPasswordFieldName("password");
    provider->SetUserAccessRightFieldName("rights");
    provider->SetUserID(id);
    provider->SetUserPassword("pw");
    table->Open();
    fuzz::Check(provider->LoadSetting(), "log-in refused: " + provider->LastErrorText());
    fuzz::Check(provider->GetAuthorisedMenuItems()->Items() == expected,
                "the provider does not grant exactly the stored tokens");
    std::vector<const host::TMenuItem*> items;
    fuzz::CollectItems(menu->Items(), items);
    for (const host::TMenuItem* item : items) {
        fuzz::Check(item->Caption().empty() || item->Caption()[0] != '<',
                    "a special item survived the log-in");
        if (!item->IsLine()) {
            const bool granted = provider->HasRight(item->Name());
            fuzz::Check(item->Enabled() == granted,
                        "menu item " + item->Name() + " enabled against its right");
            fuzz::Check(item->Visible() == (granted || !(flags & 1)),
                        "menu item " + item->Name() + " shown against its right");
        }
    }

    // The editor on the record the log-in stopped on: toggle some rows, save, read back.
    auto* editor = new TZELMenuCheckListBox(&form);
    editor->SetDataSource(source);
    editor->SetUserAccessRightFieldName("rights");
    editor->SetLinkedMainMenu(menu);
    fuzz::Check(editor->LoadSetting(), "the editor cannot load: " + editor->LastErrorText());
    for (unsigned char t : toggles) {
        if (editor->Count() > 0) {
            editor->ToggleRow(t % editor->Count());
        }
    }
    for (int row = 0; row < editor->Count(); ++row) {
        fuzz::Check(editor->Checked(row) == editor->HasRight(editor->MenuItemNames().Strings(row)),
                    "row " + std::to_string(row) + " checked against its right");
    }
    const Names granted = editor->Granted().Items();
    editor->SaveSetting();
    fuzz::Check(editor->LastErrorText().empty(), "save failed: " + editor->LastErrorText());
    Names saved = Tokens(users.Rights(id));
    fuzz::Check(!saved.empty() && saved.front().empty(), "a saved string must start empty");
    saved.erase(saved.begin());
    fuzz::Check(saved == granted, "the record does not hold exactly the editor's list");
    fuzz::Check(editor->LoadSetting() && editor->Granted().Items() == granted,
                "the saved rights do not load back as they were");
    return 0;
}
