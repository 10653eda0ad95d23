// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DbfNumber.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace kvitanky::dbfnumber {

namespace {

// The one parser behind both overloads: plain ASCII, "," taken as the point.
std::optional<double> parseAscii(std::string s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    s = s.substr(b, e - b);
    if (s.empty())
        return std::nullopt;
    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        s.erase(0, 1);
    }
    // from_chars would take "inf", "nan" and hex forms: only digits, one point and
    // an exponent are numbers here.
    if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '.' || s[0] == ','))
        return std::nullopt;
    int points = 0;
    for (char &c : s) {
        if (c == ',')
            c = '.';
        if (c == '.')
            ++points;
        else if (!std::isdigit(static_cast<unsigned char>(c)) && c != 'e' && c != 'E' && c != '+'
                 && c != '-')
            return std::nullopt;
    }
    if (points > 1)
        return std::nullopt;
    double value = 0;
    const char *first = s.data();
    const char *last = s.data() + s.size();
    const auto res = std::from_chars(first, last, value, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != last || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace

std::optional<double> parseDecimal(QStringView text)
{
    std::string s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
        s.push_back(static_cast<char>(c.unicode()));
    }
    return parseAscii(std::move(s));
}

std::optional<double> parseDecimal(const QByteArray &ascii)
{
    return parseAscii(std::string(ascii.constData(), size_t(ascii.size())));
}

QByteArray shortest(double value)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return QByteArray(buf, int(res.ptr - buf));
}

QByteArray columnText(double value, int width, int decimals)
{
    if (!std::isfinite(value) || width <= 0)
        return {};
    char buf[400];
    const char *end = nullptr;
    QByteArray text;
    if (decimals <= 0) {
        const double rounded = std::nearbyint(value);   // halves to the even neighbour
        if (std::fabs(rounded) >= 1e18)
            return {};
        end = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(rounded)).ptr;
    } else {
        const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
        if (res.ec == std::errc() && res.ptr - buf <= width) {
            // The declared decimals only when they keep the value. What to_chars
            // wrote is plain digits, a point and perhaps a minus: read back directly.
            double back = 0;
            const auto read = std::from_chars(buf, res.ptr, back, std::chars_format::general);
            if (read.ec == std::errc() && read.ptr == res.ptr && back == value)
                end = res.ptr;
        }
        if (!end) {
            text = shortest(value);   // never fewer digits: a value is kept exactly or refused
            if (text.size() > width)
                return {};
            return QByteArray(width - text.size(), ' ') + text;
        }
    }
    const qsizetype length = end - buf;
    if (length > width)
        return {};
    QByteArray out(width, ' ');
    std::memcpy(out.data() + (width - length), buf, size_t(length));
    return out;
}

QString general(double value, QChar decimalSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // 15 significant digits, then trailing zeros dropped.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const std::string sci(buf, res.ptr);
    const bool negative = sci[0] == '-';
    const size_t ePos = sci.find('e');
    std::string digits;
    for (size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (sci[i] != '.')
            digits.push_back(sci[i]);
    const int exponent = std::stoi(sci.substr(ePos + 1));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    QString out;
    if (negative)
        out += QLatin1Char('-');
    if (exponent >= 15 || exponent < -5) {
        out += QLatin1Char(digits[0]);
        if (digits.size() > 1) {
            out += decimalSeparator;
            out += QString::fromLatin1(digits.substr(1));
        }
        out += QLatin1Char('E') + QString::number(exponent);
    } else if (exponent >= 0) {
        const size_t intDigits = size_t(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += QString::fromLatin1(digits) + QString(int(intDigits - digits.size()), QLatin1Char('0'));
        } else {
            out += QString::fromLatin1(digits.substr(0, intDigits));
            out += decimalSeparator;
            out += QString::fromLatin1(digits.substr(intDigits));
        }
    } else {
        out += QLatin1Char('0');
        out += decimalSeparator;
        out += QString(-exponent - 1, QLatin1Char('0'));
        out += QString::fromLatin1(digits);
    }
    return out;
}

} // namespace kvitanky::dbfnumber
