// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FolderLock.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

std::string refusal(const QString &dir)
{
    FolderLock second(dir);
    try {
        second.acquire();
    } catch (const FolderInUseError &e) {
        return e.what();
    }
    return "(taken)";
}

// Leaves the lock of a program killed while it held `dir`; false when that failed.
bool leaveLockOfAKilledProgram(const QString &dir)
{
    const pid_t child = ::fork();
    if (child == 0) {
        FolderLock held(dir);
        ::raise(held.acquire() ? SIGKILL : SIGTERM);
        ::_exit(1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// What another user (nobody) hears when starting on `dir`.
std::string refusalAsAnotherUser(const QString &dir)
{
    int out[2];
    if (::pipe(out) != 0)
        return "(no pipe)";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        std::string said = "(cannot become nobody)";
        if (::setgid(65534) == 0 && ::setuid(65534) == 0)
            said = refusal(dir);
        [[maybe_unused]] const ssize_t n = ::write(out[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, size_t(n));
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return said;
}

TEST(FolderLock, SecondProgramIsRefusedWithItsHolderNamed)
{
    TempDir dir;
    {
        FolderLock first(dir.path());
        ASSERT_TRUE(first.acquire());
        EXPECT_EQ(QString::fromStdString(refusal(dir.path())),
                  QStringLiteral("Data ve složce '%1' právě používá jiný spuštěný program Kvitanky (počítač %2, "
                                 "proces %3). Dva programy nesmějí zapisovat do stejných souborů, tento se proto "
                                 "ukončí.")
                      .arg(QDir::toNativeSeparators(dir.path()), QSysInfo::machineHostName())
                      .arg(QCoreApplication::applicationPid()));
    }
    // Let go when the first one ends.
    FolderLock next(dir.path());
    EXPECT_TRUE(next.acquire());
}

// A program killed while it held the folder, and a lock file naming a process
// that is gone: the next program takes the folder over.
TEST(FolderLock, LockOfAKilledProgramIsTakenOver)
{
    TempDir dir;
    ASSERT_TRUE(leaveLockOfAKilledProgram(dir.path()));
    const QString lockFile = dir.file(QString::fromLatin1(FolderLock::FileName));
    ASSERT_TRUE(QFile::exists(lockFile));

    FolderLock next(dir.path());
    EXPECT_TRUE(next.acquire());
    EXPECT_TRUE(testsupport::readFile(lockFile).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
}

// A lock another user's program left behind in a shared folder, which this user may
// neither take over nor remove: the message names the file to delete.
TEST(FolderLock, StaleLockOfAnotherUserNamesTheFileToDelete)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two users";
    const struct { const char *name; mode_t mode; const char *hint; } cases[] = {
        {"its process is gone", 0644, "Ten proces už neběží, zámek po něm ale nelze odstranit: smažte soubor '%1'."},
        {"it cannot be read", 0600,
         "Zámek nelze přečíst; pokud program Kvitanky s těmito daty nikde neběží, smažte soubor '%1'."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString shared = dir.file(QStringLiteral("shared"));
        ASSERT_TRUE(QDir().mkpath(shared));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);   // anyone may write, only owners delete
        ASSERT_TRUE(leaveLockOfAKilledProgram(shared));
        const QString lockFile = QDir(shared).filePath(QString::fromLatin1(FolderLock::FileName));
        ASSERT_EQ(::chmod(QFile::encodeName(lockFile).constData(), c.mode), 0);
        const QString said = QString::fromStdString(refusalAsAnotherUser(shared));
        EXPECT_TRUE(said.endsWith(QString::fromUtf8(c.hint).arg(lockFile))) << said.toStdString();
    }
}

// A folder where no lock file can be made cannot be changed by anyone: the
// program goes on without the lock.
TEST(FolderLock, FolderWithoutRoomForTheLockIsNoObstacle)
{
    TempDir dir;
    FolderLock lock(dir.file(QStringLiteral("missing/folder")));
    EXPECT_FALSE(lock.acquire());
}

} // namespace
