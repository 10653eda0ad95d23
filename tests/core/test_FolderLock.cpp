// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FolderLock.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <csignal>

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
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FolderLock held(dir.path());
        ::raise(held.acquire() ? SIGKILL : SIGTERM);
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    const QString lockFile = dir.file(QString::fromLatin1(FolderLock::FileName));
    ASSERT_TRUE(QFile::exists(lockFile));

    FolderLock next(dir.path());
    EXPECT_TRUE(next.acquire());
    EXPECT_TRUE(testsupport::readFile(lockFile).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
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
