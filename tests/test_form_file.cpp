// Form files: reading, writing, round trips and broken input.
#include "support/TestSupport.h"
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/forms/FormFile.h"
#include "zel/host/sqlite/SQLiteTable.h"
#include "zel/host/ui/Buttons.h"
#include "zel/host/ui/Menus.h"
#include "zel/package/Package.h"

#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace zel;
using namespace zel::host;
using namespace zel::test;

namespace {
// Destroyed after every registry of the host, whatever order the statics were made in.
std::unique_ptr<TForm> g_staticForm;

const std::string kMainForm = R"(object MainForm: TForm
  Caption = 'Shop'
  object MainMenu1: TMainMenu
    object mnuFile: TMenuItem
      Caption = '&File'
      object mnuOpen: TMenuItem
        Caption = '&Open...'
      end
      object mnuSep1: TMenuItem
        Caption = '-'
      end
    end
  end
)" + UserTableFormLines("shop.db", true) +
                              "end\n";

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct FormFiles : ::testing::Test {
    TempDir dir;
    void SetUp() override {
        package::Initialize();
        MakeUserTable(dir.File("shop.db"), "users", "login", "password", "rights",
                      {{"ann", "pw", Rights({"mnuOpen"})}});
    }
    std::unique_ptr<TForm> Read(const std::string& name, const std::string& text) {
        WriteFile(dir.File(name), text);
        return std::unique_ptr<TForm>(ReadForm(dir.File(name)));
    }
    // The error a broken form raises; fails the test if it reads.
    EFormError ReadError(const std::string& text) {
        try {
            Read("broken.dfm", text);
        } catch (const EFormError& e) {
            return e;
        }
        ADD_FAILURE() << "form was read:\n" << text;
        return EFormError("", 0, "");
    }
};
} // namespace

TEST_F(FormFiles, ReadsComponentsTreeLinksAndOpensTheTableInLoaded) {
    auto form = Read("main.dfm", kMainForm);
    EXPECT_EQ(form->Name(), "MainForm");
    EXPECT_EQ(form->Caption(), "Shop");
    auto* menu = dynamic_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->Items()->Count(), 1);
    TMenuItem* file = menu->Items()->Items(0);
    EXPECT_EQ(file->Name(), "mnuFile");
    ASSERT_EQ(file->Count(), 2);
    EXPECT_EQ(file->Items(1)->Caption(), "-");
    EXPECT_EQ(file->Owner(), form.get());

    auto* table = dynamic_cast<TSQLiteTable*>(form->FindComponent("UsersTable"));
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->Active()); // relative to the form file's folder
    EXPECT_EQ(table->DatabaseName(), "shop.db");
    EXPECT_FALSE(table->Loading());

    auto* rights = dynamic_cast<TZELRight*>(form->FindComponent("Rights"));
    ASSERT_NE(rights, nullptr);
    EXPECT_EQ(rights->LinkedMainMenu(), menu);
    EXPECT_EQ(rights->DataSource(), form->FindComponent("UsersSource"));
    EXPECT_TRUE(rights->HideDisabledItem());

    MessageRecorder messages;
    rights->SetUserID("ann");
    rights->SetUserPassword("pw");
    EXPECT_TRUE(rights->LoadSetting());
    EXPECT_TRUE(file->Items(0)->Enabled());
    EXPECT_FALSE(file->Visible());
}

TEST_F(FormFiles, WritingACanonicalFormGivesTheSameBytes) {
    auto form = Read("main.dfm", kMainForm);
    EXPECT_EQ(WriteForm(*form), kMainForm);
}

TEST_F(FormFiles, WrittenFormsReadBackTheSame) {
    // A form made in code, with defaults changed and odd bytes in its texts.
    TForm form(nullptr);
    form.SetName("Odd");
    auto* menu = new TMainMenu(&form);
    menu->SetName("Menu");
    std::string caption = "it's \x01\xFF'#" + std::string(150, 'x') + "''";
    auto* item = AddItem(&form, menu->Items(), "Item", caption);
    item->SetEnabled(false);
    auto* hidden = AddItem(&form, item, "Hidden", "h");
    hidden->SetVisible(false);
    auto* button = new TBitBtn(&form);
    button->SetName("Ok");
    button->SetKind(bkCancel);
    const std::string first = WriteForm(form);
    std::unique_ptr<TForm> copy;
    {
        TForm* renamed = nullptr;
        form.SetName("Original"); // free the name for the copy
        renamed = ReadFormText(first, "copy", dir.Path().string());
        copy.reset(renamed);
    }
    EXPECT_EQ(WriteForm(*copy), first);
    auto* copied = dynamic_cast<TMenuItem*>(copy->FindComponent("Item"));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->Caption(), caption);
    EXPECT_FALSE(copied->Enabled());
    EXPECT_FALSE(dynamic_cast<TMenuItem*>(copy->FindComponent("Hidden"))->Visible());
    auto* ok = dynamic_cast<TBitBtn*>(copy->FindComponent("Ok"));
    EXPECT_EQ(ok->Kind(), bkCancel);
    EXPECT_EQ(ok->ModalResult(), mrCancel);
    EXPECT_EQ(first.find("ModalResult"), std::string::npos); // implied by the kind
}

namespace {
// A class the form reader and writer have never heard of that holds buttons nested in it.
class TButtonShelf : public TComponent {
public:
    using TComponent::TComponent;
    static const TClassInfo& StaticClass() {
        static const TClassInfo info{
            "TButtonShelf",
            &TComponent::StaticClass(),
            [](TComponent* owner) -> TComponent* { return new TButtonShelf(owner); },
            {}};
        return info;
    }
    const TClassInfo& Class() const override { return StaticClass(); }
    std::string RefusesNested(const TClassInfo& cls) const override {
        return cls.InheritsFrom(TButton::StaticClass()) ? "" : "only buttons on a shelf";
    }
    void AddNested(TComponent& child) override { held_.push_back(&child); }
    std::vector<const TComponent*> Nested() const override { return held_; }

private:
    std::vector<const TComponent*> held_; // owned by the form, which outlives this list
};
} // namespace

TEST_F(FormFiles, ANewClassHoldsNestedObjectsWithoutTheReaderKnowingIt) {
    RegisterClass(TButtonShelf::StaticClass());
    const std::string text = "object F: TForm\n"
                             "  object Shelf: TButtonShelf\n"
                             "    object Ok: TButton\n"
                             "    end\n"
                             "  end\n"
                             "  object Loose: TButton\n"
                             "  end\n"
                             "end\n";
    auto form = Read("shelf.dfm", text);
    ASSERT_EQ(form->FindComponent("Shelf")->Nested().size(), 1u);
    EXPECT_EQ(form->FindComponent("Shelf")->Nested()[0], form->FindComponent("Ok"));
    EXPECT_EQ(WriteForm(*form), text); // Ok written once, inside its shelf
    form.reset();
    EFormError refused =
        ReadError("object F: TForm\n  object S: TButtonShelf\n    object M: TMainMenu\n"
                  "    end\n  end\nend\n");
    EXPECT_NE(std::string(refused.what()).find("only buttons on a shelf"), std::string::npos);
}

TEST_F(FormFiles, StringSyntax) {
    auto form =
        Read("s.dfm", "object S: TForm\n  Caption = 'a'#255'b'#39'' +\n    'c''d' + #$41\nend\n");
    EXPECT_EQ(form->Caption(), "a\xFF"
                               "b'c'dA");
}

TEST_F(FormFiles, ReferencesToAnotherLoadedForm) {
    auto main = Read("main.dfm", kMainForm);
    auto admin = Read("admin.dfm", "object AdminForm: TForm\n"
                                   "  object Provider: TZELRight\n"
                                   "    LinkedMainMenu = MainForm.MainMenu1\n"
                                   "    DataSource = MainForm.UsersSource\n"
                                   "  end\n"
                                   "end\n");
    auto* provider = dynamic_cast<TZELRight*>(admin->FindComponent("Provider"));
    EXPECT_EQ(provider->LinkedMainMenu(), main->FindComponent("MainMenu1"));
    const std::string written = WriteForm(*admin);
    EXPECT_NE(written.find("LinkedMainMenu = MainForm.MainMenu1"), std::string::npos) << written;
    main.reset(); // the links are cleared, not left dangling
    EXPECT_EQ(provider->LinkedMainMenu(), nullptr);
    EXPECT_EQ(provider->DataSource(), nullptr);
}

TEST_F(FormFiles, EventHandlersAreFoundByName) {
    int clicks = 0;
    RegisterHandler("SaveClick", TNotifyEvent([&](TComponent*) { ++clicks; }));
    auto form = Read("e.dfm",
                     "object E: TForm\n  object B: TButton\n    OnClick = SaveClick\n  end\nend\n");
    auto* b = dynamic_cast<TButton*>(form->FindComponent("B"));
    b->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_NE(WriteForm(*form).find("OnClick = SaveClick"), std::string::npos);
    RegisterHandler("KeyHandler", TKeyPressEvent([](TComponent*, char&) {}));
    EXPECT_NE(
        std::string(
            ReadError(
                "object E2: TForm\n  object B: TButton\n    OnClick = KeyHandler\n  end\nend\n")
                .what())
            .find("does not fit"),
        std::string::npos);
    UnregisterHandler("SaveClick");
    UnregisterHandler("KeyHandler");
}

TEST_F(FormFiles, BrokenFormsNameFileLineAndWhatWasExpected) {
    RegisterMissingClass("TLeftOutTable"); // as a build without a database's library does
    struct Case {
        const char* text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"object F: TForm\n  object X: TNoSuchClass\n  end\nend\n", 2,
         "unknown class TNoSuchClass"},
        {"object F: TForm\n  object X: TLeftOutTable\n  end\nend\n", 2,
         "TLeftOutTable is not in this build"},
        {"object F: TForm\n  Colour = 5\nend\n", 2, "unknown property Colour of TForm"},
        {"object F: TForm\n  object M: TMenuItem\n    Enabled = 'yes'\n  end\nend\n", 3,
         "True or False"},
        {"object F: TForm\n  Caption = 12\nend\n", 2, "expects a 'string'"},
        {"object F: TForm\n  object B: TBitBtn\n    Kind = bkMaybe\n  end\nend\n", 3,
         "one of bkCustom"},
        {"object F: TForm\n  object S: TDataSource\n    DataSet = Nowhere\n  end\nend\n", 3,
         "no component named Nowhere"},
        {"object F: TForm\n  object M: TMainMenu\n  end\n  object S: TDataSource\n    DataSet = "
         "M\n  end\nend\n",
         5, "needs a TDataSet, but M is a TMainMenu"},
        {"object F: TForm\n  object B: TButton\n    OnClick = NobodyRegisteredThis\n  end\nend\n",
         3, "No event handler named NobodyRegisteredThis"},
        {"object F: TForm\n  object A: TButton\n  end\n  object a: TButton\n  end\nend\n", 4,
         "already exists"},
        {"object F: TForm\n  Caption = 'open\nend\n", 2, "unterminated string"},
        {"object F: TForm\n  Caption 'x'\nend\n", 2, "expected '='"},
        {"object F: TForm\n  object M: TMainMenu\n    object S: TDataSource\n    end\n  end\nend\n",
         3, "only menu items"},
        {"object F: TForm\n  object B: TButton\n    object C: TButton\n    end\n  end\nend\n", 3,
         "TButton cannot hold nested objects"},
        {"object F: TForm\n  object G: TForm\n  end\nend\n", 2, "a form cannot be nested"},
        {"object F: TForm\nend\nobject G: TForm\nend\n", 3, "after the form's final 'end'"},
        {"object F: TForm\n  object B: TButton\n", 3,
         "expected a property, 'object' or 'end', found the end of the file"},
        {"object F: TForm\n  object T: TSQLiteTable\n    DatabaseName = 'missing.db'\n    "
         "TableName = 'users'\n    Active = True\n  end\nend\n",
         2, "T: Cannot open database"},
        {"object F: TForm\n  Caption = #300\nend\n", 2, "out of range"},
        {"object F: TForm\n  object B: TButton\n    ModalResult = 99999999999\n  end\nend\n", 3,
         "out of range"},
        {"object 1F: TForm\nend\n", 1, "unexpected letter after a number"},
        {"object : TForm\nend\n", 1, "expected a component name"},
        {"object F: TMenuItem\nend\n", 1, "not a form class"},
    };
    for (const Case& c : cases) {
        EFormError e = ReadError(c.text);
        EXPECT_EQ(e.File(), dir.File("broken.dfm")) << c.text;
        EXPECT_EQ(e.Line(), c.line) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        EXPECT_EQ(TForm::FindForm("F"), nullptr) << "half-read form survived: " << c.text;
    }
}

TEST_F(FormFiles, AFailedReadLeavesEarlierFormsUntouched) {
    auto main = Read("main.dfm", kMainForm);
    const std::string before = WriteForm(*main);
    EFormError e = ReadError("object AdminForm: TForm\n"
                             "  object P: TZELRight\n"
                             "    LinkedMainMenu = MainForm.MainMenu1\n"
                             "    DataSource = MainForm.NoSuchSource\n"
                             "  end\n"
                             "end\n");
    EXPECT_EQ(e.Line(), 4);
    EXPECT_EQ(TForm::FindForm("AdminForm"), nullptr);
    EXPECT_EQ(WriteForm(*main), before);
    // The same form name again is refused while the first one lives.
    EXPECT_NE(std::string(ReadError(kMainForm).what()).find("already loaded"), std::string::npos);
}

TEST_F(FormFiles, DeepNestingAndHugeStringsFailCleanly) {
    std::string deep = "object F: TForm\n  object M: TMainMenu\n";
    for (int i = 0; i < 100000; ++i) {
        deep += "object I" + std::to_string(i) + ": TMenuItem\n";
    }
    EXPECT_NE(std::string(ReadError(deep).what()).find("nested deeper than"), std::string::npos);

    std::string huge = "object F: TForm\n  Caption = '" + std::string(2u << 20, 'x') + "'\nend\n";
    EXPECT_NE(std::string(ReadError(huge).what()).find("string longer than"), std::string::npos);
    std::string joined = "object F: TForm\n  Caption = ";
    for (int i = 0; i < 40000; ++i) {
        joined += "'" + std::string(60, 'y') + "' +\n";
    }
    joined += "''\nend\n";
    EXPECT_NE(std::string(ReadError(joined).what()).find("string longer than"), std::string::npos);

    // A menu too deep to read back is refused by the writer too.
    TForm form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* parent = menu->Items();
    for (int i = 0; i < 300; ++i) {
        parent = AddItem(&form, parent, "I" + std::to_string(i), "x");
    }
    EXPECT_THROW(WriteForm(form), EFormError);
}

TEST_F(FormFiles, MangledFormsEitherReadOrFailWithAFormError) {
    // Deterministic mutations of a real form: every outcome is a form or an EFormError,
    // never a crash, a hang or another kind of error (the sanitizer build watches memory).
    std::mt19937 random(20261209);
    const std::string original = kMainForm;
    const std::string alphabet = "'#+=():.-$ \n\tobjectendTrueFalse0123456789\xFF";
    int read = 0, refused = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = random() % text.size();
            const char c = alphabet[random() % alphabet.size()];
            switch (random() % 3) {
            case 0:
                text[at] = c;
                break;
            case 1:
                text.insert(at, 1, c);
                break;
            default:
                text.erase(at, 1 + random() % 8);
                break;
            }
        }
        try {
            std::unique_ptr<TForm> form(ReadFormText(text, "mangled.dfm", dir.Path().string()));
            ++read;
        } catch (const EFormError&) {
            ++refused;
        }
    }
    EXPECT_EQ(read + refused, 1500);
    EXPECT_GT(refused, 0);
}

TEST_F(FormFiles, MissingFileIsAnError) {
    EXPECT_THROW(ReadForm(dir.File("nothing.dfm")), EFormError);
}

TEST(StaticForms, MayBeDestroyedAfterTheHostsRegistries) {
    g_staticForm.reset(ReadFormText("object StaticForm: TForm\nend\n", "static.dfm", "."));
    EXPECT_EQ(TForm::FindForm("StaticForm"), g_staticForm.get());
}
