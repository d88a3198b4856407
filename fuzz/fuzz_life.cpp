// Component life in any order: random sequences of create, link, unlink, destroy (owners
// and linked components alike), toggle, log-in, load, save and refresh over one form.
// After every step no link may point at a destroyed component (ASan sees any use of one),
// and after the steps that impose rights the granted lists, the rows and the menu agree.
#include "FuzzSupport.h"
#include "zel/components/ZELBtn.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/sqlite/SQLiteTable.h"

#include <algorithm>

using namespace zel;

namespace {
const char* const kUsers[] = {"ann", "bob", "cid", ""};
// The links an unlink step clears, by the numbers of SetLink.
const std::size_t kUnlinkable[] = {0, 2, 4, 5};

class World {
public:
    explicit World(const fuzz::MemoryUsers& users) : users_(users) {}

    void Step(fuzz::Input& in) {
        switch (in.Below(18)) {
        case 0:
            new host::TMainMenu(&form_);
            break;
        case 1:
            NewItem(in);
            break;
        case 2:
            NewTable();
            break;
        case 3:
            new host::TDataSource(&form_);
            break;
        case 4:
            NewProvider(in);
            break;
        case 5:
            NewEditor();
            break;
        case 6:
            NewButton(in);
            break;
        case 7:
            SetLink(in, in.Below(6), false);
            break;
        case 8:
            SetLink(in, kUnlinkable[in.Below(4)], true);
            break;
        case 9:
            delete Pick<host::TComponent>(in);
            break;
        case 10:
            Toggle(in);
            break;
        case 11:
            LogIn(in);
            break;
        case 12:
            WithEditor(in, [](TZELMenuCheckListBox& e) { e.LoadSetting(); });
            break;
        case 13:
            WithEditor(in, [](TZELMenuCheckListBox& e) { e.SaveSetting(); });
            break;
        case 14:
            Refresh(in);
            break;
        case 15:
            WithEditor(in, [](TZELMenuCheckListBox& e) { e.GrantAllRight(); });
            break;
        case 16:
            WithEditor(in, [](TZELMenuCheckListBox& e) { e.RevokeAllRight(); });
            break;
        case 17:
            WithEditor(in, [](TZELMenuCheckListBox& e) { e.SetupAccessRight(); });
            break;
        }
        CheckLinks();
    }

private:
    // A live component of type T picked by the input, or nullptr: the form's own list is
    // the truth about what lives.
    template <class T> T* Pick(fuzz::Input& in) {
        std::vector<T*> all;
        for (int i = 0; i < form_.ComponentCount(); ++i) {
            if (auto* c = dynamic_cast<T*>(form_.Components(i))) {
                all.push_back(c);
            }
        }
        return all.empty() ? nullptr : all[in.Below(all.size())];
    }
    // Owned by the form, or the root item that a live menu owns.
    bool Lives(const host::TComponent* c) const {
        for (int i = 0; i < form_.ComponentCount(); ++i) {
            const host::TComponent* owned = form_.Components(i);
            const auto* menu = dynamic_cast<const host::TMainMenu*>(owned);
            if (owned == c || (menu != nullptr && menu->Items() == c)) {
                return true;
            }
        }
        return false;
    }
    void CheckLink(const host::TComponent* target, const host::TComponent& from, const char* what) {
        fuzz::Check(target == nullptr || Lives(target),
                    std::string(what) + " of " + from.ClassName() + " dangles");
    }
    void CheckLinks() {
        for (int i = 0; i < form_.ComponentCount(); ++i) {
            host::TComponent* c = form_.Components(i);
            if (auto* p = dynamic_cast<TZELRight*>(c)) {
                CheckLink(p->LinkedMainMenu(), *c, "LinkedMainMenu");
                CheckLink(p->DataSource(), *c, "DataSource");
            } else if (auto* e = dynamic_cast<TZELMenuCheckListBox*>(c)) {
                CheckLink(e->LinkedMainMenu(), *c, "LinkedMainMenu");
                CheckLink(e->DataSource(), *c, "DataSource");
            } else if (auto* b = dynamic_cast<TZELButton*>(c)) {
                CheckLink(b->ZELRight(), *c, "ZELRight");
            } else if (auto* s = dynamic_cast<host::TDataSource*>(c)) {
                CheckLink(s->DataSet(), *c, "DataSet");
            } else if (auto* m = dynamic_cast<host::TMenuItem*>(c)) {
                CheckLink(m->Parent(), *c, "Parent");
            }
        }
    }

    void NewItem(fuzz::Input& in) {
        static const char* const captions[] = {"&Item", "-", "<Debug", "Sub"};
        auto* item = new host::TMenuItem(&form_);
        item->SetName("mnu" + std::to_string(serial_++));
        item->SetCaption(captions[in.Below(4)]);
        if (in.Byte() % 2 == 0) {
            if (auto* parent = Pick<host::TMenuItem>(in)) {
                parent->Add(item);
            } else if (auto* menu = Pick<host::TMainMenu>(in)) {
                menu->Items()->Add(item);
            }
        } else if (auto* menu = Pick<host::TMainMenu>(in)) {
            menu->Items()->Add(item);
        }
    }
    void NewTable() {
        auto* table = new host::TSQLiteTable(&form_);
        table->SetDatabaseName(users_.Uri());
        table->SetTableName("users");
        table->Open();
    }
    void NewProvider(fuzz::Input& in) {
        auto* p = new TZELRight(&form_);
        p->SetUserIDFieldName("login");
        p->SetUserPasswordFieldName("password");
        p->SetUserAccessRightFieldName("rights");
        p->SetHideDisabledItem(in.Byte() % 2 == 0);
    }
    void NewEditor() {
        auto* e = new TZELMenuCheckListBox(&form_);
        e->SetUserAccessRightFieldName("rights");
    }
    void NewButton(fuzz::Input& in) {
        auto* b = new TZELButton(&form_);
        auto* item = Pick<host::TMenuItem>(in);
        b->SetRight(item != nullptr ? item->Name() : "mnuNone");
    }
    // Sets link `which` of a picked component: to a picked target, or to nothing.
    void SetLink(fuzz::Input& in, std::size_t which, bool unlink) {
        switch (which) {
        case 0:
            Relink<TZELRight>(in, &TZELRight::SetLinkedMainMenu, unlink);
            break;
        case 1:
            Relink<TZELRight>(in, &TZELRight::SetDataSource, unlink);
            break;
        case 2:
            Relink<TZELMenuCheckListBox>(in, &TZELMenuCheckListBox::SetLinkedMainMenu, unlink);
            break;
        case 3:
            Relink<TZELMenuCheckListBox>(in, &TZELMenuCheckListBox::SetDataSource, unlink);
            break;
        case 4:
            if (auto* b = Relink<TZELButton>(in, &TZELButton::SetZELRight, unlink); b && !unlink) {
                b->Loaded(); // as a button read after the log-in asks again
            }
            break;
        case 5:
            Relink<host::TDataSource>(in, &host::TDataSource::SetDataSet, unlink);
            break;
        }
    }
    template <class Holder, class Owner, class Target>
    Holder* Relink(fuzz::Input& in, void (Owner::*set)(Target*), bool unlink) {
        auto* holder = Pick<Holder>(in);
        if (holder != nullptr) {
            (holder->*set)(unlink ? nullptr : Pick<Target>(in));
        }
        return holder;
    }
    void Toggle(fuzz::Input& in) {
        WithEditor(in, [&](TZELMenuCheckListBox& e) {
            if (e.Count() > 0) {
                e.ToggleRow(static_cast<int>(in.Below(static_cast<std::size_t>(e.Count()))));
            }
        });
    }
    void LogIn(fuzz::Input& in) {
        auto* p = Pick<TZELRight>(in);
        if (p == nullptr) {
            return;
        }
        p->SetUserID(kUsers[in.Below(4)]);
        p->SetUserPassword("pw");
        if (p->LoadSetting()) {
            CheckMenu(
                p->LinkedMainMenu(), [&](const std::string& n) { return p->HasRight(n); },
                p->HideDisabledItem(), "the provider's");
        }
    }
    void Refresh(fuzz::Input& in) {
        auto* t = Pick<host::TSQLiteTable>(in);
        if (t == nullptr) {
            return;
        }
        switch (in.Below(3)) {
        case 0:
            t->Active() ? t->Refresh() : t->Open();
            break;
        case 1:
            t->Close();
            break;
        case 2:
            t->Active() ? t->Next() : t->Open();
            break;
        }
    }
    template <class F> void WithEditor(fuzz::Input& in, F action) {
        auto* e = Pick<TZELMenuCheckListBox>(in);
        if (e == nullptr) {
            return;
        }
        action(*e);
        for (int row = 0; row < e->Count(); ++row) {
            fuzz::Check(e->Checked(row) == e->HasRight(e->MenuItemNames().Strings(row)),
                        "a row checked against the editor's granted list");
        }
    }
    // Right after rights were imposed: every item shows whether `granted` holds its name.
    template <class G>
    void CheckMenu(host::TMainMenu* menu, G granted, bool hide, const std::string& whose) {
        if (menu == nullptr) {
            return;
        }
        std::vector<const host::TMenuItem*> items;
        fuzz::CollectItems(menu->Items(), items);
        for (const host::TMenuItem* item : items) {
            if (!item->IsLine()) {
                const bool g = granted(item->Name());
                fuzz::Check(item->Enabled() == g && item->Visible() == (g || !hide),
                            item->Name() + " shows other than " + whose + " rights");
            }
        }
    }

    const fuzz::MemoryUsers& users_;
    host::TForm form_{nullptr};
    int serial_ = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Setup();
    static fuzz::MemoryUsers users("fuzz_life");
    users.Reset({{"ann", "pw", "\xFFmnu1\xFFmnu2\xFF"},
                 {"bob", "pw", "\xFF"},
                 {"cid", "pw", "\xFFMNU3\xFFmnu3\xFFmnu9\xFF"}});
    fuzz::Input in(data, size);
    World world(users);
    for (int step = 0; step < 200 && !in.Empty(); ++step) {
        try {
            world.Step(in);
        } catch (const host::Exception&) {
            // Refused with a message (no menu linked, a closed table): allowed, not a fault.
        }
    }
    return 0; // the form goes now, with whatever is left in it, in its own order
}
