// Rights-aware buttons: defaults, storage rules and the check at form load.
#include "support/TestSupport.h"
#include "zel/components/ZELBBTN.h"
#include "zel/components/ZELBtn.h"
#include "zel/components/ZELRight.h"
#include "zel/host/forms/FormFile.h"
#include "zel/package/Package.h"

#include <gtest/gtest.h>
#include <memory>

using namespace zel;
using namespace zel::host;
using namespace zel::test;

namespace {
// The main form with a provider; its granted list is set by the tests.
struct Buttons : ::testing::Test {
    std::unique_ptr<TForm> main;
    TZELRight* rights = nullptr;
    void SetUp() override {
        package::Initialize();
        main.reset(ReadFormText("object MainForm: TForm\n"
                                "  object Rights: TZELRight\n"
                                "  end\n"
                                "end\n",
                                "main", "."));
        rights = dynamic_cast<TZELRight*>(main->FindComponent("Rights"));
    }
    void Grant(const std::string& name) { rights->GetAuthorisedMenuItems()->Add(name); }
    std::unique_ptr<TForm> Orders(const std::string& body) {
        return std::unique_ptr<TForm>(
            ReadFormText("object OrdersForm: TForm\n" + body + "end\n", "orders", "."));
    }
    template <class T> T* Find(TForm& f, const char* name) {
        return dynamic_cast<T*>(f.FindComponent(name));
    }
};
} // namespace

TEST_F(Buttons, Defaults) {
    TZELBitBtn bit(nullptr);
    EXPECT_EQ(bit.Kind(), bkOK);
    EXPECT_EQ(bit.ModalResult(), mrOk);
    EXPECT_FALSE(bit.HideIfDisabled());
    EXPECT_EQ(bit.ZELRight(), nullptr);
    EXPECT_EQ(bit.Right(), "");
    TZELButton push(nullptr);
    EXPECT_EQ(push.Caption(), "Btn caption");
    EXPECT_EQ(push.ModalResult(), mrOk);
    EXPECT_EQ(push.ZELRight(), nullptr);
}

TEST_F(Buttons, GrantedButtonsShowAndEnable) {
    Grant("mnuOrders");
    auto orders =
        Orders("  object Save: TZELBitBtn\n    ZELRight = MainForm.Rights\n"
               "    Right = 'MNUORDERS'\n    Visible = False\n    Enabled = False\n  end\n"
               "  object Print: TZELButton\n    ZELRight = MainForm.Rights\n"
               "    Right = 'mnuOrders'\n  end\n");
    for (const char* name : {"Save", "Print"}) {
        auto* b = Find<TControl>(*orders, name);
        EXPECT_TRUE(b->Enabled()) << name;
        EXPECT_TRUE(b->Visible()) << name;
    }
}

TEST_F(Buttons, RefusedButtonsDisableAndHideOnlyWhenTheProviderHides) {
    const std::string body = "  object Shown: TZELButton\n    ZELRight = MainForm.Rights\n"
                             "    Right = 'mnuSecret'\n  end\n"
                             "  object StoredHidden: TZELBitBtn\n    ZELRight = MainForm.Rights\n"
                             "    Right = 'mnuSecret'\n    Visible = False\n  end\n";
    {
        auto orders = Orders(body);
        EXPECT_FALSE(Find<TControl>(*orders, "Shown")->Enabled());
        EXPECT_TRUE(Find<TControl>(*orders, "Shown")->Visible());
        EXPECT_FALSE(Find<TControl>(*orders, "StoredHidden")->Visible()); // stays as stored
    }
    rights->SetHideDisabledItem(true);
    auto orders = Orders(body);
    EXPECT_FALSE(Find<TControl>(*orders, "Shown")->Enabled());
    EXPECT_FALSE(Find<TControl>(*orders, "Shown")->Visible());
}

TEST_F(Buttons, EmptyRightNeedsTheEmptyNameAndNoProviderMeansDisabled) {
    auto before = Orders("  object B: TZELButton\n    ZELRight = MainForm.Rights\n  end\n"
                         "  object Loose: TZELBitBtn\n  end\n");
    EXPECT_FALSE(Find<TControl>(*before, "B")->Enabled());
    EXPECT_FALSE(Find<TControl>(*before, "Loose")->Enabled()); // no provider: never unguarded
    EXPECT_TRUE(Find<TControl>(*before, "Loose")->Visible());
    before.reset();
    Grant(""); // as after a log-in with an editor-written string
    auto after = Orders("  object B: TZELButton\n    ZELRight = MainForm.Rights\n  end\n");
    EXPECT_TRUE(Find<TControl>(*after, "B")->Enabled());
}

TEST_F(Buttons, TheCheckRunsOnceAtLoadOnly) {
    auto orders = Orders("  object B: TZELButton\n    ZELRight = MainForm.Rights\n"
                         "    Right = 'x'\n  end\n");
    Grant("x"); // a later grant does not re-check buttons already loaded
    EXPECT_FALSE(Find<TControl>(*orders, "B")->Enabled());
}

TEST_F(Buttons, ProviderDestroyedClearsTheLink) {
    auto orders = Orders("  object B: TZELButton\n    ZELRight = MainForm.Rights\n  end\n"
                         "  object C: TZELBitBtn\n    ZELRight = MainForm.Rights\n  end\n");
    main.reset();
    EXPECT_EQ(Find<TZELButton>(*orders, "B")->ZELRight(), nullptr);
    EXPECT_EQ(Find<TZELBitBtn>(*orders, "C")->ZELRight(), nullptr);
}

TEST_F(Buttons, StorageRulesOfCaptionKindAndModalResult) {
    TForm form(nullptr);
    form.SetName("Written");
    auto* push = new TZELButton(&form);
    push->SetName("Push");
    push->SetCaption(""); // empty text is not stored...
    auto* bit = new TZELBitBtn(&form);
    bit->SetName("Bit");
    auto* custom = new TZELBitBtn(&form);
    custom->SetName("Custom");
    custom->SetKind(bkCustom);
    custom->SetModalResult(mrNone);
    const std::string text = WriteForm(form);
    EXPECT_EQ(text, "object Written: TForm\n"
                    "  object Push: TZELButton\n"
                    "  end\n"
                    "  object Bit: TZELBitBtn\n"
                    "  end\n"
                    "  object Custom: TZELBitBtn\n"
                    "    Kind = bkCustom\n"
                    "    ModalResult = 0\n"
                    "  end\n"
                    "end\n");
    form.SetName("Old");
    std::unique_ptr<TForm> copy(ReadFormText(text, "copy", "."));
    // ...so the constructor's caption is back after a read.
    EXPECT_EQ(dynamic_cast<TZELButton*>(copy->FindComponent("Push"))->Caption(), "Btn caption");
    EXPECT_EQ(dynamic_cast<TZELBitBtn*>(copy->FindComponent("Custom"))->ModalResult(), mrNone);
    EXPECT_EQ(dynamic_cast<TZELBitBtn*>(copy->FindComponent("Bit"))->ModalResult(), mrOk);
}

TEST_F(Buttons, PropertiesAreWrittenInDeclarationOrder) {
    RegisterHandler("Clicked", TNotifyEvent([](TComponent*) {}));
    RegisterHandler("DoubleClicked", TNotifyEvent([](TComponent*) {}));
    auto orders = Orders("  object B: TZELBitBtn\n    Right = 'r'\n    HideIfDisabled = True\n"
                         "    OnDblClick = DoubleClicked\n    ZELRight = MainForm.Rights\n"
                         "    OnClick = Clicked\n    Caption = 'Go'\n  end\n");
    const std::string text = WriteForm(*orders);
    EXPECT_NE(text.find("    Enabled = False\n"
                        "    Caption = 'Go'\n"
                        "    OnClick = Clicked\n"
                        "    OnDblClick = DoubleClicked\n"
                        "    ZELRight = MainForm.Rights\n"
                        "    HideIfDisabled = True\n"
                        "    Right = 'r'\n"),
              std::string::npos)
        << text;
    UnregisterHandler("Clicked");
    UnregisterHandler("DoubleClicked");
}

TEST_F(Buttons, KeyPressAndClickKeepTheBaseBehaviour) {
    TZELButton b(nullptr);
    char seen = 0;
    int clicks = 0;
    b.SetOnKeyPress({"", [&](TComponent*, char& key) {
                         seen = key;
                         key = 0;
                     }});
    b.SetOnClick({"", [&](TComponent*) { ++clicks; }});
    char key = 'a';
    b.KeyPress(key);
    EXPECT_EQ(seen, 'a');
    EXPECT_EQ(key, 0);
    b.Click();
    b.SetEnabled(false);
    b.Click(); // a disabled button ignores clicks
    EXPECT_EQ(clicks, 1);
}
