// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests: temporary folders, files, peer programs.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <array>

namespace kvitanky {
class DbfTable;
}

namespace testsupport {

// A fresh folder per test, removed afterwards.
class TempDir
{
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// The seed of a randomised test: KVITANKY_SEED when set (to repeat a run), else
// the clock; printed with the test's name (the running test's when none is given).
unsigned randomSeed(const char *test = nullptr);

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

// Runs a program and returns its standard output; exitCode receives its exit code
// (-1 when it could not be started).
QByteArray runProgram(const QString &program, const QStringList &args, int *exitCode = nullptr,
                      QByteArray *stdErr = nullptr, int timeoutMs = 120000);

// Data.dbf with the four sample recipients in `programDir`, closed, as the first
// start leaves it.
void writeSampleRecipients(const QString &programDir);
// Writes raw bytes into one column of one record of a table file, as another
// program might have left them.
void patchDbfField(const QString &path, int row, const char *column, const QByteArray &bytes);

// A drawn path of a PDF page as pdftocairo's SVG holds it: its bounding box in
// points, the transform applied, and how many coordinates it has.
struct PdfPathBox {
    double minX, minY, maxX, maxY;
    int coordinates;
};
// Every path of the first page; empty when pdftocairo failed. `pageWidth`, when
// given, receives the page's width in points.
QList<PdfPathBox> pdfPathBoxes(const QString &pdf, double *pageWidth = nullptr);
// How many pages a PDF file has (pdfinfo); -1 when it cannot be read.
int pdfPages(const QString &pdf);

// Debian's interpreter with python3-dbfread and python3-openpyxl.
inline QString debianPython() { return QStringLiteral("/usr/bin/python3"); }
bool havePythonModule(const QString &module);
bool haveProgram(const QString &program);

// Where the built program keeps its pictures.
inline QString binDir() { return QStringLiteral(KVITANKY_BIN_DIR); }
inline QString sourceDir() { return QStringLiteral(KVITANKY_SOURCE_DIR); }
inline QString corpusDir() { return QStringLiteral(KVITANKY_CORPUS_DIR); }

// One recipient row for tests that fill a table by hand: the ten text columns
// (UTF-8) in column order, the amount, and the exclusion mark (-1: never written).
struct RecipientRow {
    std::array<const char *, 10> texts;
    double amount = 0;
    int excluded = 0;
};
extern const char *const RecipientTextColumns[10];
void appendRecipient(kvitanky::DbfTable &table, const RecipientRow &row);

// Copies the slip pictures next to a test's program folder.
void copyPictures(const QString &toDir);

} // namespace testsupport
