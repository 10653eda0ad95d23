// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the workbook reader. The first byte chooses what the
// rest is:
// - even: a whole workbook file, read once as .xlsx and once as .ods, from the
//   first and the second sheet;
// - odd: the XML of a workbook's shared strings and sheet (split at the first byte
//   0x01, which XML never holds), put into an .xlsx and read twice: with the byte
//   scanner and with QXmlStreamReader alone. Both must give the same rows and the
//   same message.
#include "exchange/WorkbookReader.h"

#include <QList>

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

void put16(QByteArray &b, unsigned v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void put32(QByteArray &b, quint32 v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A zip of stored (not compressed) parts.
QByteArray storedZip(const QList<std::pair<QByteArray, QByteArray>> &parts)
{
    QByteArray zip, directory;
    for (const auto &[name, data] : parts) {
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
        const quint32 offset = quint32(zip.size());
        for (QByteArray *b : {&zip, &directory}) {
            put32(*b, b == &zip ? 0x04034b50 : 0x02014b50);
            if (b == &directory)
                put16(*b, 20);   // made by
            put16(*b, 20);       // needed
            put16(*b, 0);        // flags
            put16(*b, 0);        // stored
            put32(*b, 0);        // time and date
            put32(*b, crc);
            put32(*b, quint32(data.size()));
            put32(*b, quint32(data.size()));
            put16(*b, unsigned(name.size()));
            put16(*b, 0);   // extra
            if (b == &directory) {
                put16(*b, 0);   // comment
                put16(*b, 0);   // disk
                put16(*b, 0);   // internal attributes
                put32(*b, 0);   // external attributes
                put32(*b, offset);
            }
            b->append(name);
        }
        zip.append(data);
    }
    const quint32 at = quint32(zip.size());
    zip.append(directory);
    put32(zip, 0x06054b50);
    put16(zip, 0);
    put16(zip, 0);
    put16(zip, unsigned(parts.size()));
    put16(zip, unsigned(parts.size()));
    put32(zip, quint32(directory.size()));
    put32(zip, at);
    put16(zip, 0);
    return zip;
}

void readWorkbookFile(const QByteArray &bytes)
{
    for (const char *name : {"fuzz.xlsx", "fuzz.ods"}) {
        for (int sheet = 0; sheet < 2; ++sheet) {
            kvitanky::WorkbookReader reader;
            reader.setXmlLimit(qint64(64) << 20);
            const bool ok = reader.readBytes(bytes, QString::fromLatin1(name), sheet);
            // Either rows in the sheet's order, or a message that names the file.
            if (!ok && !reader.error().contains(QString::fromLatin1(name)))
                std::abort();
            int last = 0;
            for (const kvitanky::WorkbookRow &row : reader.rows()) {
                if (row.number <= last || row.cells.isEmpty())
                    std::abort();
                last = row.number;
            }
        }
    }
}

void compareSheetReadings(const QByteArray &input)
{
    const qsizetype split = input.indexOf('\x01');
    QList<std::pair<QByteArray, QByteArray>> parts = {
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook><sheets><sheet name=\"A\" r:id=\"rId1\" "
                            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"/>"
                            "</sheets></workbook>"},
        {"xl/styles.xml", "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"d.m.yyyy\"/></numFmts>"
                          "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"14\"/></cellXfs>"
                          "</styleSheet>"},
        {"xl/worksheets/sheet1.xml", split < 0 ? input : input.mid(split + 1)}};
    if (split >= 0)
        parts.append({"xl/sharedStrings.xml", input.left(split)});
    const QByteArray zip = storedZip(parts);

    kvitanky::WorkbookReader scanned, plain;
    plain.setByteScanner(false);
    const bool ok = scanned.readBytes(zip, QStringLiteral("fuzz.xlsx"));
    if (plain.readBytes(zip, QStringLiteral("fuzz.xlsx")) != ok || plain.error() != scanned.error()
        || plain.rows().size() != scanned.rows().size())
        std::abort();
    for (qsizetype i = 0; i < plain.rows().size(); ++i) {
        if (plain.rows()[i].number != scanned.rows()[i].number || plain.rows()[i].cells != scanned.rows()[i].cells)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest = QByteArray::fromRawData(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    if (data[0] % 2 == 0)
        readWorkbookFile(rest);
    else
        compareSheetReadings(rest);
    return 0;
}
