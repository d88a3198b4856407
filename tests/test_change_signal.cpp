#include "zel/host/core/ChangeSignal.h"
#include "zel/host/ui/Menus.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace zel::host;

TEST(ChangeSignal, ObserversHearChangesUntilTheyUnsubscribe) {
    TMenuItem item(nullptr);
    std::vector<TChangeKind> heard;
    {
        TConnection c = item.Subscribe([&](const TChange& ch) { heard.push_back(ch.kind); });
        item.SetCaption("File");
        item.SetCaption("File"); // no change, no notice
        item.SetEnabled(false);
        item.SetVisible(false);
        EXPECT_TRUE(c.Connected());
    }
    item.SetCaption("Other"); // the connection is gone
    EXPECT_EQ(heard, (std::vector<TChangeKind>{TChangeKind::Caption, TChangeKind::Enabled,
                                               TChangeKind::Visible}));
}

TEST(ChangeSignal, SubjectDeathDisconnectsAndIsAnnounced) {
    auto item = std::make_unique<TMenuItem>(nullptr);
    std::vector<TChangeKind> heard;
    TConnection c = item->Subscribe([&](const TChange& ch) { heard.push_back(ch.kind); });
    item.reset();
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(heard, std::vector<TChangeKind>{TChangeKind::Destroying});
    c.Disconnect(); // harmless after the subject is gone
}

TEST(ChangeSignal, SubItemsInsertedAndRemovedCarryTheirIndex) {
    TMenuItem root(nullptr);
    std::vector<std::pair<TChangeKind, int>> heard;
    TConnection c =
        root.Subscribe([&](const TChange& ch) { heard.emplace_back(ch.kind, ch.index); });
    auto* a = new TMenuItem(nullptr);
    auto* b = new TMenuItem(nullptr);
    root.Add(a);
    root.Insert(0, b);
    a->Free();
    b->Free();
    using P = std::pair<TChangeKind, int>;
    EXPECT_EQ(heard, (std::vector<P>{{TChangeKind::ItemInserted, 0},
                                     {TChangeKind::ItemInserted, 0},
                                     {TChangeKind::ItemRemoved, 1},
                                     {TChangeKind::ItemRemoved, 0}}));
}

TEST(ChangeSignal, ObserverMayUnsubscribeOthersOrDestroyTheSubjectWhileNotified) {
    TChangeSignal signal;
    int firstCalls = 0, secondCalls = 0;
    TConnection second;
    TConnection first = signal.Subscribe([&](const TChange&) {
        ++firstCalls;
        second.Disconnect();
    });
    second = signal.Subscribe([&](const TChange&) { ++secondCalls; });
    signal.Emit({TChangeKind::Caption});
    signal.Emit({TChangeKind::Caption});
    EXPECT_EQ(firstCalls, 2);
    EXPECT_EQ(secondCalls, 0);

    auto item = std::make_unique<TMenuItem>(nullptr);
    int after = 0;
    TConnection killer = item->Subscribe([&](const TChange& ch) {
        if (ch.kind == TChangeKind::Caption) {
            item.reset();
        }
    });
    TConnection late = item->Subscribe([&](const TChange&) { ++after; });
    item->SetCaption("boom");
    EXPECT_EQ(item, nullptr);
    EXPECT_FALSE(killer.Connected());
    EXPECT_FALSE(late.Connected());
    EXPECT_EQ(after, 1); // only the Destroying notice reached it, never the dead Caption
}

TEST(ChangeSignal, MovedConnectionStaysValid) {
    TChangeSignal signal;
    int calls = 0;
    std::vector<TConnection> many;
    for (int i = 0; i < 50; ++i) { // reallocation moves the connections
        many.push_back(signal.Subscribe([&](const TChange&) { ++calls; }));
    }
    signal.Emit({TChangeKind::Enabled});
    EXPECT_EQ(calls, 50);
    many.erase(many.begin(), many.begin() + 25);
    signal.Emit({TChangeKind::Enabled});
    EXPECT_EQ(calls, 75);
}

TEST(ChangeSignal, ObserversAreCalledInSubscriptionOrderWhoeverLeaves) {
    TChangeSignal signal;
    std::vector<char> heard;
    auto observer = [&](char name) {
        return signal.Subscribe([&heard, name](const TChange&) { heard.push_back(name); });
    };
    TConnection a = observer('a');
    TConnection b = observer('b');
    a.Disconnect();
    TConnection c = observer('c'); // after b, though a's place is free
    signal.Emit({TChangeKind::Caption});
    b.Disconnect();
    c.Disconnect();
    TConnection d = observer('d'); // alone now
    signal.Emit({TChangeKind::Caption});
    EXPECT_EQ(heard, (std::vector<char>{'b', 'c', 'd'}));

    // One that leaves and sends a successor during a call: the successor waits for the next.
    heard.clear();
    d.Disconnect();
    TConnection successor;
    TConnection e = signal.Subscribe([&](const TChange&) {
        heard.push_back('e');
        e.Disconnect();
        successor = observer('s');
    });
    signal.Emit({TChangeKind::Caption});
    signal.Emit({TChangeKind::Caption});
    EXPECT_EQ(heard, (std::vector<char>{'e', 's'}));
}
