// SPDX-License-Identifier: GPL-3.0-or-later
#include "PriceWords.h"

#include <QStringList>

#include <cmath>
#include <cstdint>

namespace kvitanky {

namespace {

// Filled once, never changed.
const QString OnesWords[20] = {
    QString(),
    QStringLiteral("jedna"),
    QStringLiteral("dva"),
    QStringLiteral("tri"),
    QStringLiteral("ctyri"),
    QStringLiteral("pet"),
    QStringLiteral("šest"),
    QStringLiteral("sedm"),
    QStringLiteral("osm"),
    QStringLiteral("devet"),
    QStringLiteral("deset"),
    QStringLiteral("jedenáct"),
    QStringLiteral("dvanáct"),
    QStringLiteral("trináct"),
    QStringLiteral("ctrnáct"),
    QStringLiteral("patnáct"),
    QStringLiteral("šestnáct"),
    QStringLiteral("sedmnáct"),
    QStringLiteral("osmnáct"),
    QStringLiteral("devatenáct"),
};

// Indexed by the tens digit; 0 and 1 are never read.
const QString TensWords[10] = {
    QString(),
    QString(),
    QStringLiteral("dvacet"),
    QStringLiteral("tricet"),
    QStringLiteral("ctyricet"),
    QStringLiteral("padesát"),
    QStringLiteral("šedesát"),
    QStringLiteral("sedmdesát"),
    QStringLiteral("osmdesát"),
    QStringLiteral("devadesát"),
};

constexpr std::int64_t MaxWholeKoruny = 2147483647;

QString designedWords(double amount);

// The designed words that lack their háčky and kroužky, and their correct spelling.
const struct {
    const char *designed;
    const char *czech;
} CzechSpellings[] = {
    {"tri", "tři"},           {"ctyri", "čtyři"},         {"pet", "pět"},
    {"devet", "devět"},       {"trináct", "třináct"},     {"ctrnáct", "čtrnáct"},
    {"tricet", "třicet"},     {"ctyricet", "čtyřicet"},   {"dveste", "dvěstě"},
    {"dve", "dvě"},           {"milionu", "milionů"},     {"dvemiliardy", "dvěmiliardy"},
};

QString czechWord(const QString &word)
{
    for (const auto &s : CzechSpellings)
        if (word == QString::fromUtf8(s.designed))
            return QString::fromUtf8(s.czech);
    return word;
}

// The designed words respelled one by one ("mínus" is written together with the
// word after it).
QString inCzech(const QString &words)
{
    const QString minus = QStringLiteral("mínus");
    QStringList parts = words.split(QLatin1Char(' '));
    for (QString &w : parts)
        w = w.startsWith(minus) ? minus + czechWord(w.mid(minus.size())) : czechWord(w);
    return parts.join(QLatin1Char(' '));
}

} // namespace

QString HundredsToWords(int value)
{
    if (value < 0 || value > 999)
        return QString();
    const int h = value / 100;
    int r = value % 100;
    QString s;
    if (h == 1)
        s = QStringLiteral("sto");
    else if (h == 2)
        s = QStringLiteral("dveste");
    else if (h == 3 || h == 4)
        s = OnesWords[h] + QStringLiteral(" sta");
    else if (h >= 5)
        s = OnesWords[h] + QStringLiteral(" set");
    if (r != 0) {
        if (h != 0)
            s += QLatin1Char(' ');
        if (r >= 20) {
            s += TensWords[r / 10];
            r %= 10;
            if (r != 0)
                s += QLatin1Char(' ');
        }
        s += OnesWords[r];
    }
    // The feminine "dve" agrees with koruna; it applies only when 2 stands alone.
    if (s == QLatin1String("dva"))
        s = QStringLiteral("dve");
    return s;
}

QString PriceToWords(double amount, WordSpelling spelling)
{
    const QString words = designedWords(amount);
    return spelling == WordSpelling::Czech ? inCzech(words) : words;
}

namespace {

QString designedWords(double amount)
{
    // Checked in floating point first: converting an out-of-range double to an
    // integer is undefined behaviour.
    if (!std::isfinite(amount))
        return QString::fromLatin1(PriceOutOfRangeText);
    const double whole = std::trunc(amount);
    if (whole > double(MaxWholeKoruny) || whole < -double(MaxWholeKoruny))
        return QString::fromLatin1(PriceOutOfRangeText);

    std::int64_t p = std::int64_t(whole);
    if (p == 0)
        return QStringLiteral("nula");

    QString w;
    if (p < 0) {
        w = QStringLiteral("mínus");
        p = -p;
    }
    const int g = int(p / 1000000000);
    const int m = int((p % 1000000000) / 1000000);
    const int t = int((p % 1000000) / 1000);
    const int u = int(p % 1000);

    if (g == 1)
        w += QStringLiteral("jednamiliarda");
    else if (g == 2)
        w += QStringLiteral("dvemiliardy");
    if (g != 0 && (m != 0 || t != 0 || u != 0))
        w += QLatin1Char(' ');

    if (m != 0) {
        if (m == 1)
            w += QStringLiteral("milion");
        else if (m <= 4)
            w += OnesWords[m] + QStringLiteral(" miliony");
        else
            w += HundredsToWords(m) + QStringLiteral(" milionu");
        if (t != 0 || u != 0)
            w += QLatin1Char(' ');
    }

    if (t != 0) {
        if (t == 1)
            w += QStringLiteral("tisíc");
        else if (t <= 4)
            w += OnesWords[t] + QStringLiteral(" tisíce");
        else
            w += HundredsToWords(t) + QStringLiteral(" tisíc");
        if (u != 0)
            w += QLatin1Char(' ');
    }

    if (u != 0)
        w += HundredsToWords(u);
    return w;
}

} // namespace

} // namespace kvitanky
