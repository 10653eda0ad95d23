// SPDX-License-Identifier: GPL-3.0-or-later
// What the bad-input tests share: the window started in a folder of its own with
// every message recorded, file system tricks (mounts, the immutable attribute, a
// full disk) that are undone when the test ends, and the table readers that show
// the data files are still whole. docs/bad-input.md lists the cases with their
// messages; each test_Bad*.cpp drives the real window through one subject.
#pragma once

#include "FakeDesktop.h"
#include "TestSupport.h"

#include "../core/test_DbfSupport.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "exchange/ImpExpPage.h"
#include "settings/IniFile.h"
#include "settings/SettingKeys.h"
#include "shell/Desktop.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"
#include "shell/ProgramEntry.h"
#include "text/Codepage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

// Messages readable in failures.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace kvitanky;
using testsupport::TempDir;
using testsupport::readFile;
using testsupport::writeFile;

namespace badinput {

inline QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The system's own words for an error, in the language of the desktop.
inline QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// ---------------------------------------------------------------- file system tricks

// A mount that is undone when the object goes, also when the test fails.
class Mount
{
public:
    // A tmpfs of the given size at `at`; null (and why) when not permitted here.
    static std::unique_ptr<Mount> tmpfs(const QString &at, const char *options, QString *why)
    {
        const QByteArray target = QFile::encodeName(at);
        if (::mount("tmpfs", target.constData(), "tmpfs", 0, options) != 0) {
            *why = QStringLiteral("tmpfs cannot be mounted here: ") + QString::fromLocal8Bit(std::strerror(errno));
            return nullptr;
        }
        return std::unique_ptr<Mount>(new Mount(target));
    }
    // `from` seen read-only at `at`.
    static std::unique_ptr<Mount> readOnlyView(const QString &from, const QString &at, QString *why)
    {
        const QByteArray source = QFile::encodeName(from);
        const QByteArray target = QFile::encodeName(at);
        if (::mount(source.constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0) {
            *why = QStringLiteral("bind mounts are not permitted here: ") + QString::fromLocal8Bit(std::strerror(errno));
            return nullptr;
        }
        std::unique_ptr<Mount> m(new Mount(target));
        if (::mount(nullptr, target.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            *why = QStringLiteral("a bind mount cannot be made read-only here: ")
                   + QString::fromLocal8Bit(std::strerror(errno));
            return nullptr;
        }
        return m;
    }
    ~Mount() { ::umount2(m_target.constData(), MNT_DETACH); }
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;

private:
    explicit Mount(QByteArray target) : m_target(std::move(target)) {}
    QByteArray m_target;
};

// The immutable attribute (chattr +i): not even root may change, rename or delete
// the file. Cleared again when the object goes.
class Immutable
{
public:
    static std::unique_ptr<Immutable> set(const QString &path, QString *why)
    {
        std::unique_ptr<Immutable> i(new Immutable(path));
        if (!i->change(true, why))
            return nullptr;
        return i;
    }
    ~Immutable()
    {
        QString ignored;
        change(false, &ignored);
    }
    Immutable(const Immutable &) = delete;
    Immutable &operator=(const Immutable &) = delete;

private:
    explicit Immutable(QString path) : m_path(std::move(path)) {}
    bool change(bool on, QString *why)
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            *why = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (!ok)
            *why = QStringLiteral("the immutable attribute cannot be set here: ")
                   + QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return ok;
    }
    QString m_path;
};

// Writes a file until the file system is full; returns its size.
inline qint64 fillUp(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    const QByteArray chunk(512, 'x');
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::write(fd, chunk.constData(), size_t(chunk.size()));
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

// Every file under a folder with its bytes, to show nothing changed; the lock file
// a running program keeps in its folder is not data.
inline QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() != QLatin1String(FolderLock::FileName))
            files.insert(QDir(dir).relativeFilePath(path), readFile(path));
    }
    return files;
}

// ---------------------------------------------------------------- the window

class BadInput : public ::testing::Test
{
protected:
    void TearDown() override
    {
        form.reset();
    }

    StartupOptions options(const QString &programDir) const
    {
        StartupOptions o;
        o.programDir = programDir;
        o.pictureDir = pictureDir.isEmpty() ? testsupport::binDir() : pictureDir;
        o.desktop = desktop;
        return o;
    }

    // A first start and close in `programDir`: the sample tables and a full settings file.
    void prepareProgramFolder(const QString &programDir)
    {
        {
            TForm1 first(options(programDir));
            first.SaveSettings();
        }
        messages.clear();
    }

    // Starts the window; false (and a failure) when start-up fails.
    [[nodiscard]] bool start(const QString &programDir)
    {
        try {
            form.reset();   // a restart: the program before lets go of the folder first
            form = std::make_unique<TForm1>(options(programDir));
        } catch (const std::exception &e) {
            ADD_FAILURE() << "start-up failed: " << e.what();
            return false;
        }
        return true;
    }

    // Starts the program as its entry does; true when the window came up.
    bool runEntry(const QString &programDir)
    {
        EntrySteps steps;
        steps.options = options(programDir);
        bool shown = false;
        steps.runLoop = [&](TForm1 &) {
            shown = true;
            return 0;
        };
        EXPECT_EQ(runProgram(*static_cast<QApplication *>(QCoreApplication::instance()), steps), 0);
        return shown;
    }

    QStringList texts() const
    {
        QStringList out;
        for (const ui::MessageRequest &m : messages)
            out << m.text;
        return out;
    }

    QLineEdit *edit(const char *name) const { return form->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) const
    {
        return form->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    ImpExpPage *impExp() const { return form->TabSheetImpExp; }

    void importCsv(const QString &path, bool sixColumns = false)
    {
        chosenFile = path;
        (sixColumns ? impExp()->ButtonImportCsv6 : impExp()->ButtonImportCsv)->click();
    }
    void exportCsv(const QString &path)
    {
        chosenFile = path;
        impExp()->ButtonExportCsv->click();
    }

    TempDir dir;
    QString pictureDir;
    // The window's desktop: the PDF writer alone, every box recorded, the file
    // dialogs answered with chosenFile.
    std::shared_ptr<testsupport::FakeDesktop> desktop = std::make_shared<testsupport::FakeDesktop>();
    std::unique_ptr<TForm1> form;
    QList<ui::MessageRequest> &messages = desktop->messages;
    ui::MessageAnswer &answer = desktop->answer;
    QString &chosenFile = desktop->chosenFile;
};

// The rows of a table file as our engine reads them (JMENO, PRIJMENI).
inline QStringList names(const QString &path)
{
    DbfTable t;
    t.setTableName(path);
    t.setActive(true);
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << t.fieldByName("JMENO").asString() + QLatin1Char(' ') + t.fieldByName("PRIJMENI").asString();
    return out;
}

// dbfread reads the file through its end and finds `rows` rows.
inline void expectDbfreadRows(const QString &path, int rows)
{
    if (!dbftest::haveDbfread())
        return;
    EXPECT_EQ(dbftest::readWithDbfread(path)[QStringLiteral("records")].toArray().size(), rows);
}

// The counts of a table file's header.
struct TableHeader {
    int headerLength = 0;
    int recordLength = 0;
    quint32 count = 0;
};

inline TableHeader header(const QByteArray &b)
{
    TableHeader h;
    h.headerLength = quint8(b[8]) | quint8(b[9]) << 8;
    h.recordLength = quint8(b[10]) | quint8(b[11]) << 8;
    h.count = quint32(quint8(b[4])) | quint32(quint8(b[5])) << 8 | quint32(quint8(b[6])) << 16
              | quint32(quint8(b[7])) << 24;
    return h;
}

// Line i of a good CSV file, in Windows-1250.
inline QByteArray goodLine(int i)
{
    return toCp1250(QStringLiteral("Pan;Jan%1;Novák;Hlavní %1;Praha;110 00;%1,5;%1;;;;0;\n").arg(i));
}

// Bytes of a fixed random sequence.
inline QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b(size, '\0');
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

} // namespace badinput
