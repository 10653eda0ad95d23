// SPDX-License-Identifier: GPL-3.0-or-later
// CSV import and export of a large address book, timed against ogr2ogr converting
// the same CSV to a .dbf and back in the same run. Also times the workbook export,
// and the import of that workbook against ogr2ogr reading it (GDAL's XLSX driver)
// into a .dbf.
//   bench_csv [rows]     (default 100000)
#include "BenchTable.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "exchange/XlsxExport.h"
#include "text/Codepage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <vector>

extern char **environ;

using namespace kvitanky;

namespace {

struct ChildRun {
    double seconds = -1;
    double cpu = -1;
    long peakKiB = 0;
    int status = -1;
};

// Runs a program and waits for it, with its own peak memory (wait4).
ChildRun runChild(const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    ChildRun run;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return run;
    int status = 0;
    rusage u{};
    if (wait4(pid, &status, 0, &u) < 0)
        return run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.cpu = u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
    run.peakKiB = u.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void writeCsv(const QString &path, int rows)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    static const char *const titles[] = {"Pan", "Paní", "MUDr.", "Ing.", ""};
    static const char *const towns[] = {"Nové Hobzí", "Velká Lhota", "Praha 10", "České Budějovice"};
    QByteArray chunk;
    for (int i = 0; i < rows; ++i) {
        // Every fourth amount is whole, the first line among them: ogr2ogr's CSV reader
        // takes the separator from the first line and needs to see no comma there.
        const QString line = QStringLiteral("%1;Jméno%2;Příjmení%3;Ulice %4;%5;%6 %7;%8%9;%10;%11;+420 777 %12;"
                                            "adresat%13@example.cz;%14;\r\n")
                                 .arg(QString::fromUtf8(titles[i % 5]))
                                 .arg(i % 997)
                                 .arg(i)
                                 .arg(i % 5000 + 1)
                                 .arg(QString::fromUtf8(towns[i % 4]))
                                 .arg(100 + i % 900)
                                 .arg(i % 100, 2, 10, QLatin1Char('0'))
                                 .arg(i % 100000)
                                 .arg(i % 4 ? QStringLiteral(",%1").arg(i % 100, 2, 10, QLatin1Char('0')) : QString())
                                 .arg(i)
                                 .arg(i % 3 ? QStringLiteral("0") : QString::number(i))
                                 .arg(i % 1000000, 6, 10, QLatin1Char('0'))
                                 .arg(i)
                                 .arg(i % 10 == 0 ? 1 : 0);
        chunk += toCp1250(line);
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk);

    // Column types for ogr2ogr, the same widths as the recipient table.
    QFile types(path + QLatin1Char('t'));
    if (types.open(QIODevice::WriteOnly))
        types.write("\"String(10)\",\"String(30)\",\"String(30)\",\"String(30)\",\"String(30)\",\"String(10)\","
                    "\"Real(20.10)\",\"String(12)\",\"String(12)\",\"String(20)\",\"String(40)\",\"Integer(6)\","
                    "\"String(1)\"\n");
}

struct Timing {
    double wall = 1e99;
    double cpu = 1e99;   // user + system
    void take(double w, double c)
    {
        wall = std::min(wall, w);
        cpu = std::min(cpu, c);
    }
};

double cpuSeconds(const rusage &u)
{
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

double selfCpu()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return cpuSeconds(u);
}

// Times one run of fn (wall and CPU of this process).
template<typename Fn>
void timeOnce(Timing &t, Fn fn)
{
    QElapsedTimer wall;
    const double cpu0 = selfCpu();
    wall.start();
    fn();
    t.take(wall.nsecsElapsed() / 1e9, selfCpu() - cpu0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("in.csv"));
    writeCsv(csv, rows);
    std::printf("rows: %d, CSV: %.1f MiB, best of %d runs (wall and CPU = user + system)\n", rows,
                QFileInfo(csv).size() / 1048576.0, repeats);

    Timing importT, previewT, exportT, xlsxT, xlsxImportT;
    int imported = 0, exported = 0, inWorkbook = 0, fromWorkbook = 0;
    QString workbookError;
    long importKiB = 0;
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    const QString xlsx = dir.filePath(QStringLiteral("out.xlsx"));
    for (int r = 0; r < repeats; ++r) {
        QTemporaryDir tableDir;
        DbfTable table;
        CreateRecipientTable(table, tableDir.path());
        // The import as the page runs it: the preview's reading, then the rows.
        CsvPreview preview;
        Timing rowsT;
        timeOnce(previewT, [&] { preview = PreviewCsvFile(csv, table, CsvLayout::Full); });
        timeOnce(rowsT, [&] { imported = ImportPreviewedCsv(preview, table).rows; });
        importT.take(previewT.wall + rowsT.wall, previewT.cpu + rowsT.cpu);
        importKiB = bench::peakKiB();
        timeOnce(exportT, [&] { exported = ExportCsvFile(out, table).rows; });
        timeOnce(xlsxT, [&] {
            const XlsxExportResult w = ExportXlsxFile(xlsx, table);
            inWorkbook = w.rows;
            workbookError = w.error;
        });
        // The workbook imported as the page runs it, into a table of its own.
        QTemporaryDir otherDir;
        DbfTable other;
        CreateRecipientTable(other, otherDir.path());
        timeOnce(xlsxImportT, [&] {
            const CsvPreview fromXlsx = PreviewCsvFile(xlsx, other, CsvLayout::Full);
            fromWorkbook = ImportPreviewedCsv(fromXlsx, other).rows;
        });
    }
    std::printf("import:          %6d rows  wall %.3f s  cpu %.3f s  (%.0f rows/s), peak RSS after import %ld KiB\n",
                imported, importT.wall, importT.cpu, imported / importT.wall, importKiB);
    std::printf("  of it preview: wall %.3f s  cpu %.3f s\n", previewT.wall, previewT.cpu);
    std::printf("export:          %6d rows  wall %.3f s  cpu %.3f s  (%.0f rows/s)\n", exported, exportT.wall,
                exportT.cpu, exported / exportT.wall);
    std::printf("workbook export: %6d rows  wall %.3f s  cpu %.3f s  %.1f MiB%s\n", inWorkbook, xlsxT.wall,
                xlsxT.cpu, QFileInfo(xlsx).size() / 1048576.0,
                workbookError.isEmpty() ? "" : qPrintable(QStringLiteral(" (error: %1)").arg(workbookError)));
    std::printf("workbook import: %6d rows  wall %.3f s  cpu %.3f s  (%.0f rows/s)\n", fromWorkbook, xlsxImportT.wall,
                xlsxImportT.cpu, fromWorkbook / xlsxImportT.wall);
    std::printf("peak RSS of this process: %ld KiB\n", bench::peakKiB());

    if (QStandardPaths::findExecutable(QStringLiteral("ogr2ogr")).isEmpty()) {
        std::printf("ogr2ogr not found: no comparison\n");
        return 0;
    }
    Timing toDbfT, toCsvT, xlsxToDbfT;
    ChildRun toDbf, toCsv, xlsxToDbf;
    for (int r = 0; r < repeats; ++r) {
        QTemporaryDir ogrDir;
        const std::string ogrDbf = ogrDir.filePath(QStringLiteral("ogr.dbf")).toStdString();
        const std::string ogrCsv = ogrDir.filePath(QStringLiteral("ogr.csv")).toStdString();
        // The CSV driver finds the ";" itself and takes the column types from in.csvt.
        toDbf = runChild({"ogr2ogr", "-f", "ESRI Shapefile", ogrDbf, csv.toStdString(), "-oo", "HEADERS=NO",
                          "-lco", "ENCODING=", "-q"});
        toCsv = runChild({"ogr2ogr", "-f", "CSV", ogrCsv, ogrDbf, "-lco", "SEPARATOR=SEMICOLON", "-lco",
                          "LINEFORMAT=CRLF", "-q"});
        toDbfT.take(toDbf.seconds, toDbf.cpu);
        toCsvT.take(toCsv.seconds, toCsv.cpu);
        // The workbook's first row names the columns.
        xlsxToDbf = runChild({"ogr2ogr", "-f", "ESRI Shapefile", ogrDir.filePath(QStringLiteral("xlsx.dbf")).toStdString(),
                              xlsx.toStdString(), "-oo", "HEADERS=FORCE", "-lco", "ENCODING=", "-q"});
        xlsxToDbfT.take(xlsxToDbf.seconds, xlsxToDbf.cpu);
    }
    std::printf("ogr2ogr CSV->DBF: wall %.3f s  cpu %.3f s  (exit %d), peak RSS %ld KiB\n", toDbfT.wall, toDbfT.cpu,
                toDbf.status, toDbf.peakKiB);
    std::printf("ogr2ogr DBF->CSV: wall %.3f s  cpu %.3f s  (exit %d), peak RSS %ld KiB\n", toCsvT.wall, toCsvT.cpu,
                toCsv.status, toCsv.peakKiB);
    std::printf("ogr2ogr XLSX->DBF: wall %.3f s  cpu %.3f s  (exit %d), peak RSS %ld KiB\n", xlsxToDbfT.wall,
                xlsxToDbfT.cpu, xlsxToDbf.status, xlsxToDbf.peakKiB);
    std::printf("ratio import/ogr2ogr: wall %.2f  cpu %.2f\n", importT.wall / toDbfT.wall, importT.cpu / toDbfT.cpu);
    std::printf("ratio export/ogr2ogr: wall %.2f  cpu %.2f\n", exportT.wall / toCsvT.wall, exportT.cpu / toCsvT.cpu);
    std::printf("ratio workbook import/ogr2ogr: wall %.2f  cpu %.2f\n", xlsxImportT.wall / xlsxToDbfT.wall,
                xlsxImportT.cpu / xlsxToDbfT.cpu);
    bench::tableLine("csv: import, cpu (vs ogr2ogr csv->dbf)", rows, importT.cpu, toDbfT.cpu);
    bench::tableLine("csv: export, cpu (vs ogr2ogr dbf->csv)", rows, exportT.cpu, toCsvT.cpu);
    bench::tableLine("xlsx: import, cpu (vs ogr2ogr xlsx->dbf)", rows, xlsxImportT.cpu, xlsxToDbfT.cpu);
    return 0;
}
