#include "runtime/events/event.h"
#include "runtime/events/hooks.h"
#include "runtime_fixture.h"

#include <string>

namespace keyweave {
namespace {

// Each hook appends its context's text to the data text, so the result spells the run order.
ObjectRef Append(int, const ObjectRef& data, const ObjectRef& context) {
    const auto& sofar = static_cast<const TText&>(*data).value;
    return std::make_shared<TText>(sofar + static_cast<const TText&>(*context).value);
}

ObjectRef ReturnNone(int, const ObjectRef&, const ObjectRef&) {
    return nullptr;
}

int passOnCalls = 0;

ObjectRef CountAndPassOn(int, const ObjectRef& data, const ObjectRef&) {
    ++passOnCalls;
    return data;
}

int selfDeletingChain = -1;
ObjectRef selfDeletingContext;

ObjectRef DeleteSelfThenAppend(int id, const ObjectRef& data, const ObjectRef& context) {
    DeleteHook(selfDeletingChain, DeleteSelfThenAppend, selfDeletingContext);
    return Append(id, data, context);
}

ObjectRef Text(const char16_t* value) {
    return std::make_shared<TText>(value);
}

std::u16string RunChain(int id) {
    return static_cast<const TText&>(*CallHooks(id, Text(u""))).value;
}

class HooksTest : public RuntimeTest {
protected:
    int chain = NewHookId();
};

TEST_F(HooksTest, ChainsRunByDescendingPriorityThenInsertionOrder) {
    InsertHook(chain, Append, Text(u"a"), 0);
    InsertHook(chain, Append, Text(u"b"), 5);
    InsertHook(chain, Append, Text(u"c"), 0);
    InsertHook(chain, Append, Text(u"d"), -10000);
    InsertHook(chain, Append, Text(u"e"), 5);
    EXPECT_EQ(RunChain(chain), u"beacd");
}

TEST_F(HooksTest, EmptyChainReturnsTheDataItself) {
    const ObjectRef data = Text(u"x");
    EXPECT_EQ(CallHooks(chain, data), data);
}

TEST_F(HooksTest, NoneIsHandedOnWithoutStoppingTheChain) {
    InsertHook(chain, ReturnNone, nullptr, 1);
    InsertHook(chain, CountAndPassOn, nullptr, 0);
    passOnCalls = 0;
    EXPECT_EQ(CallHooks(chain, Text(u"x")), nullptr);
    EXPECT_EQ(passOnCalls, 1);
}

TEST_F(HooksTest, DeleteHookUnlinksOnlyTheFirstMatchingPair) {
    const ObjectRef a = Text(u"a");
    const ObjectRef b = Text(u"b");
    InsertHook(chain, Append, a, 0);
    InsertHook(chain, Append, b, 0);
    InsertHook(chain, Append, a, 0);

    DeleteHook(chain, Append, Text(u"a")); // equal text, other object: not in the chain
    DeleteHook(chain, ReturnNone, a);
    EXPECT_EQ(RunChain(chain), u"aba");

    DeleteHook(chain, Append, a);
    EXPECT_EQ(RunChain(chain), u"ba");
}

TEST_F(HooksTest, AHookThatUnlinksItselfWhileRunningLetsTheRestRun) {
    selfDeletingChain = chain;
    selfDeletingContext = Text(u"1");
    InsertHook(chain, DeleteSelfThenAppend, selfDeletingContext, 1);
    InsertHook(chain, Append, Text(u"2"), 0);
    EXPECT_EQ(RunChain(chain), u"12");
    EXPECT_EQ(RunChain(chain), u"2");
    selfDeletingContext = nullptr;
}

TEST(HookIds, StartAtZeroAndThe257thRaisesTooManyHookIds) {
    ResetHooks();
    for (int expected = 0; expected < kHookIdCount; ++expected) {
        ASSERT_EQ(NewHookId(), expected);
    }
    try {
        NewHookId();
        FAIL() << "a 257th hook id was allocated";
    } catch (const RuntimeError& error) {
        EXPECT_STREQ(error.what(), "Too many hook ids");
    }
}

TEST(HookIds, TheEventSystemTakesTheFirstId) {
    StartEvents();
    EXPECT_EQ(EventHookId(), 0);
    EXPECT_EQ(NewHookId(), 1);
}

} // namespace
} // namespace keyweave
