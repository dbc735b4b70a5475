#include "config/UserPreferences.h"

#include "support/TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace rebar;
using rebar::test::Scratch;

TEST(UserPreferences, RecentFilesKeepTheLastEightOnceEachNewestFirst) {
    Scratch dir;
    const QString store = dir.path(QStringLiteral("user.ini"));
    {
        UserPreferences p(store);
        EXPECT_TRUE(p.recentFiles().isEmpty());
        for (int i = 1; i <= 10; ++i)
            p.addRecentFile(dir.path(QStringLiteral("F%1.RDD").arg(i)));
        // The same file by another spelling of its path moves to the front, once.
        p.addRecentFile(dir.path(QStringLiteral("sub/../F5.RDD")));
        p.addRecentFile(QStringLiteral("   "));
        p.setLastFolder(dir.path(QStringLiteral("scans")));
    }
    UserPreferences again(store); // read back from the store
    const QStringList files = again.recentFiles();
    ASSERT_EQ(files.size(), UserPreferences::MaxRecentFiles);
    EXPECT_EQ(files[0], QDir::cleanPath(dir.path(QStringLiteral("F5.RDD"))));
    EXPECT_EQ(files[1], QDir::cleanPath(dir.path(QStringLiteral("F10.RDD"))));
    EXPECT_EQ(files.count(files[0]), 1);
    EXPECT_FALSE(files.contains(QDir::cleanPath(dir.path(QStringLiteral("F2.RDD")))));
    EXPECT_EQ(again.lastFolder(), dir.path(QStringLiteral("scans")));
    again.removeRecentFile(files[0]);
    EXPECT_EQ(again.recentFiles().first(), files[1]);
}
