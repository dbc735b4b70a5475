// Saving a whole file: a failure leaves the old file as it was, a success leaves exactly the new
// bytes with the old file's permissions and owner.

#include "base/FileSave.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace rebar;
using namespace rebar::test;

namespace {

// Saves bytes in two parts, as the writers hand over a header and a block.
FileSaveOutcome save(const QString& path, const QByteArray& bytes) {
    const qsizetype cut = bytes.size() / 3;
    const QByteArrayView parts[] = {QByteArrayView(bytes).first(cut),
                                    QByteArrayView(bytes).sliced(cut)};
    return SaveFileBytes(path, parts);
}

QByteArray pattern(qsizetype n, char seed) {
    QByteArray b(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        b[i] = static_cast<char>(seed + i * 7);
    return b;
}

// The names in a folder other than the ones given: a temporary left behind shows here.
QStringList othersIn(const QString& dir, const QStringList& expected) {
    QStringList out = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& e : expected)
        out.removeAll(e);
    return out;
}

struct SeamOff {
    ~SeamOff() { SetFileSaveFailureAfter(-1); }
};

} // namespace

TEST(FileSave, ReplacesWithExactlyTheNewBytesAndKeepsPermissions) {
    Scratch s;
    const QString path = s.write("A.DAT", pattern(5000, 'a'));
    ASSERT_TRUE(setMode(path, 0640));
    const QByteArray shorter = pattern(1200, 'b');
    const FileSaveOutcome out = save(path, shorter);
    ASSERT_TRUE(out.ok) << out.reason.toStdString();
    EXPECT_EQ(readFile(path), shorter); // ends where the new data ends
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_EQ(othersIn(s.dir(), {"A.DAT"}), QStringList());

    // A new file gets the usual mode of new files.
    const QString fresh = s.path("NEW.DAT");
    ASSERT_TRUE(save(fresh, shorter).ok);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(modeOf(fresh), 0666u & ~static_cast<unsigned>(mask));

    // A link stays a link; the file it names gets the bytes.
    ASSERT_TRUE(QFile::link(path, s.path("LINK.DAT")));
    ASSERT_TRUE(save(s.path("LINK.DAT"), pattern(10, 'c')).ok);
    EXPECT_TRUE(QFileInfo(s.path("LINK.DAT")).isSymLink());
    EXPECT_EQ(readFile(path), pattern(10, 'c'));
}

TEST(FileSave, KeepsTheOwnerOfTheFileItReplaces) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    Scratch s;
    const QString path = s.write("OWNED.DAT", "old");
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 1234, 2345), 0);
    ASSERT_TRUE(save(path, "new content").ok);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 2345u);
    EXPECT_EQ(readFile(path), "new content");
}

TEST(FileSave, WritableFileInAReadOnlyFolderIsWrittenInPlace) {
    Scratch s;
    ASSERT_TRUE(setMode(s.dir(), 0755));
    const QString dir = s.path("ro");
    QDir().mkpath(dir);
    const QString path = s.write("ro/A.DAT", pattern(3000, 'a'));
    const QString locked = s.write("ro/LOCKED.DAT", "keep me");
    ASSERT_TRUE(setMode(path, 0666));
    ASSERT_TRUE(setMode(locked, 0444));
    ASSERT_TRUE(setMode(dir, 0555));
    {
        OrdinaryUserRights user;
        // Longer and shorter than what was there.
        FileSaveOutcome out = save(path, pattern(4500, 'b'));
        EXPECT_TRUE(out.ok) << out.reason.toStdString();
        EXPECT_EQ(readFile(path), pattern(4500, 'b'));
        out = save(path, pattern(700, 'c'));
        EXPECT_TRUE(out.ok) << out.reason.toStdString();
        EXPECT_EQ(readFile(path), pattern(700, 'c'));
        // No new file in such a folder, and a read-only file stays as it is.
        EXPECT_FALSE(save(s.path("ro/NEW.DAT"), "x").ok);
        out = save(locked, "changed");
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.reason, qt_error_string(EACCES));
    }
    setMode(dir, 0755);
    EXPECT_EQ(readFile(locked), "keep me");
    EXPECT_EQ(modeOf(path), 0666u);
    EXPECT_EQ(othersIn(dir, {"A.DAT", "LOCKED.DAT"}), QStringList());
}

TEST(FileSave, AFullDiskLeavesTheOldFileAsItWas) {
    SeamOff off;
    Scratch s;
    const QByteArray old = pattern(4000, 'o');
    const QString path = s.write("A.DAT", old);
    SetFileSaveFailureAfter(2500);
    const FileSaveOutcome out = save(path, pattern(6000, 'n'));
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.reason, qt_error_string(ENOSPC));
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(othersIn(s.dir(), {"A.DAT"}), QStringList());

    // Written in place (read-only folder), the old bytes are put back.
    ASSERT_TRUE(setMode(s.dir(), 0755));
    ASSERT_TRUE(setMode(path, 0666));
    ASSERT_TRUE(setMode(s.dir(), 0555));
    {
        OrdinaryUserRights user;
        const FileSaveOutcome inPlace = save(path, pattern(6000, 'n'));
        EXPECT_FALSE(inPlace.ok);
        EXPECT_EQ(inPlace.reason, qt_error_string(ENOSPC));
    }
    setMode(s.dir(), 0755);
    EXPECT_EQ(readFile(path), old);
}

TEST(FileSave, AFullTmpfsLeavesTheOldFileAsItWas) {
    SmallFileSystem fs(256 * 1024);
    if (!fs.mounted())
        GTEST_SKIP() << "no right to mount a tmpfs here; the seam test covers a full disk";
    const QString path = fs.path("A.DAT");
    const QByteArray old = pattern(150 * 1024, 'o');
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(old), old.size());
    }
    const FileSaveOutcome out = save(path, pattern(200 * 1024, 'n'));
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.reason, qt_error_string(ENOSPC));
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(othersIn(QFileInfo(path).absolutePath(), {"A.DAT"}), QStringList());
    // What fits is saved.
    EXPECT_TRUE(save(path, pattern(90 * 1024, 'n')).ok);
    EXPECT_EQ(readFile(path), pattern(90 * 1024, 'n'));
}

TEST(FileSave, RefusesWhatIsNoFile) {
    Scratch s;
    EXPECT_FALSE(save(QString(), "x").ok);
    QDir().mkpath(s.path("folder"));
    const FileSaveOutcome out = save(s.path("folder"), "x");
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.reason, qt_error_string(EISDIR));
    EXPECT_FALSE(save(s.path("missing/A.DAT"), "x").ok);
}
