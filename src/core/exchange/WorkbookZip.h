// SPDX-License-Identifier: GPL-3.0-or-later
// The zip container of a workbook, read from memory, and why reading a workbook
// stopped. Used only by the workbook reader and its sheet scanner.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace kvitanky::workbook {

// Why reading stopped; the message is made once the file's name is known.
enum class Fault { None, Damaged, Encrypted, TooLarge, TooManyCells, NoSheet, Output };

class Zip
{
public:
    Zip(const QByteArray &bytes, qint64 xmlLimit);
    ~Zip();
    Zip(const Zip &) = delete;
    Zip &operator=(const Zip &) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    bool has(const QString &name);

    // One part unpacked whole; checks the size it declares and the size it inflates
    // to against what may still be unpacked.
    bool entry(const QString &name, QByteArray *out, Fault *fault);

    // One part unpacked piece by piece, each piece handed to `take` as it comes, with
    // the same checks. When `take` returns false the rest of the part is still
    // inflated and checked (a fault of the part itself comes first) unless
    // `abandon` is set: then reading stops at once and the part counts as unread.
    enum class Streamed { Whole, Failed, Abandoned };
    Streamed stream(const QString &name, const std::function<bool(QByteArrayView)> &take, const bool &abandon,
                    Fault *fault);

    // The zip read from memory through minizip's own I/O hooks.
    struct MemoryStream {
        const QByteArray *bytes = nullptr;
        qint64 pos = 0;
    };

private:
    bool open(const QString &name, quint64 *declared, Fault *fault);
    Streamed inflate(quint64 declared, const std::function<bool(QByteArrayView)> &take, const bool &abandon,
                     Fault *fault);

    MemoryStream m_stream;
    void *m_zip = nullptr;
    qint64 m_budget;
};

} // namespace kvitanky::workbook
