#include "engine/single_instance.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using fotarel::SingleInstanceGuard;
using fotarel::test::TempTree;

TEST(SingleInstance, OneHolderAtATimeAndTheLockDiesWithItsHolder)
{
    TempTree t;
    const QString lock = t.path("Fotarel.lock");
    {
        SingleInstanceGuard first(lock);
        ASSERT_TRUE(first.acquire());
        EXPECT_TRUE(first.acquire()); // holding it already
        SingleInstanceGuard second(lock);
        EXPECT_FALSE(second.acquire());
        EXPECT_FALSE(second.held());
    }
    SingleInstanceGuard afterClose(lock);
    EXPECT_TRUE(afterClose.acquire());
}

TEST(SingleInstance, AKilledHolderDoesNotBlockTheNextStart)
{
    TempTree t;
    const QString lock = t.path("Fotarel.lock");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstanceGuard holder(lock);
        const char ok = holder.acquire() ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    SingleInstanceGuard whileRunning(lock);
    EXPECT_FALSE(whileRunning.acquire());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    SingleInstanceGuard afterCrash(lock);
    EXPECT_TRUE(afterCrash.acquire());
    ::close(ready[0]);
    ::close(ready[1]);
}
