#include "zel/host/core/Component.h"
#include "zel/host/core/Errors.h"
#include "zel/host/core/Form.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace zel::host;

namespace {
// A component that keeps one link and records every notice it gets.
class Linker : public TComponent {
public:
    explicit Linker(TComponent* owner, std::vector<std::string>* log = nullptr)
        : TComponent(owner), log_(log) {}
    void Link(TComponent* target) {
        link = target;
        FreeNotification(target);
    }
    TComponent* link = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (log_ != nullptr) {
            log_->push_back(Name() + " hears " + c->Name());
        }
        if (op == opRemove && c == link) {
            link = nullptr;
        }
    }

private:
    std::vector<std::string>* log_;
};
} // namespace

TEST(ComponentNames, AcceptIdentifiersOnly) {
    TForm form(nullptr);
    auto* c = new TComponent(&form);
    for (const char* good : {"a", "_x", "Menu1", "Z_9", ""}) {
        EXPECT_NO_THROW(c->SetName(good)) << good;
    }
    for (const char* bad : {"1a", "a b", "a-b", "ä", "a.b", " "}) {
        EXPECT_THROW(c->SetName(bad), EComponentError) << bad;
    }
    EXPECT_EQ(c->Name(), "");
}

TEST(ComponentNames, UniqueAmongOwnerIgnoringCase) {
    TForm form(nullptr);
    auto* a = new TComponent(&form);
    auto* b = new TComponent(&form);
    a->SetName("Item");
    EXPECT_THROW(b->SetName("ITEM"), EComponentError);
    b->SetName("Other");
    EXPECT_EQ(form.FindComponent("item"), a);
    a->SetName("Renamed");
    EXPECT_EQ(form.FindComponent("Item"), nullptr);
    b->SetName("Item"); // the old name is free again
    EXPECT_EQ(form.FindComponent("item"), b);
    // The same name under another owner is fine.
    TForm other(nullptr);
    auto* c = new TComponent(&other);
    EXPECT_NO_THROW(c->SetName("Item"));
}

TEST(ComponentOwnership, OwnerDeletesWhatItOwnsAndForgetsFreedOnes) {
    TForm form(nullptr);
    std::vector<TComponent*> made;
    for (int i = 0; i < 5; ++i) {
        made.push_back(new TComponent(&form));
        made.back()->SetName("C" + std::to_string(i));
    }
    made[1]->Free();
    made[3]->Free();
    ASSERT_EQ(form.ComponentCount(), 3);
    EXPECT_EQ(form.Components(0), made[0]);
    EXPECT_EQ(form.Components(1), made[2]);
    EXPECT_EQ(form.Components(2), made[4]);
    EXPECT_EQ(form.FindComponent("C1"), nullptr);
    EXPECT_THROW(form.Components(3), EComponentError);
    // A freed name can be taken again.
    auto* again = new TComponent(&form);
    EXPECT_NO_THROW(again->SetName("C1"));
}

TEST(FreeNotification, WhicheverDiesFirstTheOtherForgetsIt) {
    // Target dies first.
    {
        TForm form(nullptr);
        auto* a = new Linker(&form);
        auto* t = new TComponent(&form);
        a->Link(t);
        t->Free();
        EXPECT_EQ(a->link, nullptr);
    }
    // Linker dies first: the target must not notify it later (ASan would catch that).
    {
        TForm form(nullptr);
        auto* a = new Linker(&form);
        auto* t = new TComponent(&form);
        a->Link(t);
        a->Free();
        t->Free();
        EXPECT_EQ(form.ComponentCount(), 0);
    }
}

TEST(FreeNotification, AnyOrderOfOwnerDestruction) {
    // Links across two forms, destroyed in both orders.
    for (bool targetFormFirst : {true, false}) {
        auto f1 = std::make_unique<TForm>(nullptr);
        auto f2 = std::make_unique<TForm>(nullptr);
        auto* a = new Linker(f1.get());
        auto* t = new TComponent(f2.get());
        a->Link(t);
        if (targetFormFirst) {
            f2.reset();
            EXPECT_EQ(a->link, nullptr);
            f1.reset();
        } else {
            f1.reset();
            f2.reset();
        }
    }
    // Links inside one form, created in either order: the form destroys both.
    for (bool linkerFirst : {true, false}) {
        auto form = std::make_unique<TForm>(nullptr);
        Linker* a = nullptr;
        TComponent* t = nullptr;
        if (linkerFirst) {
            a = new Linker(form.get());
            t = new TComponent(form.get());
        } else {
            t = new TComponent(form.get());
            a = new Linker(form.get());
        }
        a->Link(t);
        form.reset();
    }
}

TEST(FreeNotification, RemovedLinkSendsNoNotice) {
    std::vector<std::string> log;
    TForm form(nullptr);
    auto* a = new Linker(&form, &log);
    a->SetName("A");
    auto* t = new TComponent(&form);
    t->SetName("T");
    a->Link(t);
    a->RemoveFreeNotification(t);
    t->Free();
    EXPECT_TRUE(log.empty());
    EXPECT_NE(a->link, nullptr); // nobody told it: exactly what withdrawing means
}

TEST(FreeNotification, HandlerMayDestroyAnotherPartner) {
    // When T dies it tells A and B; A's handler frees B. B must not be told afterwards.
    class Killer : public Linker {
    public:
        using Linker::Linker;
        TComponent* victim = nullptr;

    protected:
        void Notification(TComponent* c, TOperation op) override {
            Linker::Notification(c, op);
            if (victim != nullptr) {
                TComponent* v = victim;
                victim = nullptr;
                v->Free();
            }
        }
    };
    TForm form(nullptr);
    auto* t = new TComponent(&form);
    auto* a = new Killer(&form);
    auto* b = new Linker(&form);
    a->Link(t);
    b->Link(t);
    a->victim = b;
    t->Free();
    EXPECT_EQ(a->link, nullptr);
    EXPECT_EQ(form.ComponentCount(), 1);
}

TEST(ComponentLoading, FlagIsPlain) {
    TComponent c(nullptr);
    EXPECT_FALSE(c.Loading());
    c.SetLoading(true);
    EXPECT_TRUE(c.Loading());
    EXPECT_EQ(c.ClassName(), "TComponent");
}
