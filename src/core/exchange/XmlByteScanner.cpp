// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/XmlByteScanner.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kvitanky::workbook {

namespace {

enum ByteClass : std::uint8_t { PlainText = 1, NameStart = 2, NameChar = 4, Space = 8, PlainValue = 16 };

// What each byte may be: text as it is (printable ASCII but '&', '<', ']', also
// tab and line feed), the start or the rest of an ASCII name, white space.
constexpr std::array<std::uint8_t, 256> byteClasses()
{
    std::array<std::uint8_t, 256> t{};
    for (int c = 0x20; c < 0x80; ++c)
        t[size_t(c)] |= PlainText | PlainValue;
    t['&'] &= ~(PlainText | PlainValue);
    t['<'] &= ~(PlainText | PlainValue);
    t[']'] &= ~PlainText;
    t['\t'] |= PlainText | Space;
    t['\n'] |= PlainText | Space;
    t['\r'] |= Space;
    t[' '] |= Space;
    for (int c = 'a'; c <= 'z'; ++c)
        t[size_t(c)] |= NameStart | NameChar, t[size_t(c - 'a' + 'A')] |= NameStart | NameChar;
    t['_'] |= NameStart | NameChar;
    for (int c = '0'; c <= '9'; ++c)
        t[size_t(c)] |= NameChar;
    t['-'] |= NameChar;
    t['.'] |= NameChar;
    return t;
}
constexpr std::array<std::uint8_t, 256> Bytes = byteClasses();

// Text is read up to this many bytes before the end of a piece (longer than any
// reference, character or line end); a tag may be this long at most.
constexpr qsizetype TextTail = 16;
constexpr qsizetype MaxTag = qsizetype(1) << 20;
// More attributes in a tag, or more prefixes declared at a time, than any workbook
// has: left to QXmlStreamReader, as the checks for duplicates would take long.
constexpr size_t MaxAttributes = 64;
constexpr size_t MaxBindings = 256;

inline bool is(char c, ByteClass k)
{
    return Bytes[std::uint8_t(c)] & k;
}

bool xmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

void appendUtf8(std::string *out, char32_t c)
{
    if (c < 0x80) {
        out->push_back(char(c));
    } else if (c < 0x800) {
        out->push_back(char(0xC0 | (c >> 6)));
        out->push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(char(0xE0 | (c >> 12)));
        out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(char(0x80 | (c & 0x3F)));
    } else {
        out->push_back(char(0xF0 | (c >> 18)));
        out->push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(char(0x80 | (c & 0x3F)));
    }
}

// The length of the UTF-8 sequence at p when it is a well-formed XML character, else 0.
int utf8Length(const char *p, const char *end)
{
    const auto b = [p](int i) { return std::uint8_t(p[i]); };
    const int n = b(0) >= 0xF0 ? 4 : b(0) >= 0xE0 ? 3 : b(0) >= 0xC2 ? 2 : 0;
    if (n == 0 || end - p < n || b(0) > 0xF4)
        return 0;
    char32_t c = b(0) & (0x7F >> n);
    for (int i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b(i) & 0x3F);
    }
    const char32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    return c >= least && xmlChar(c) ? n : 0;
}

// A reference at p ('&'): one of the five predefined entities or a character
// reference. Returns where it ends, or nullptr when it is none of these.
const char *reference(const char *p, const char *end, char32_t *c)
{
    const char *semi = static_cast<const char *>(std::memchr(p, ';', size_t(std::min<qsizetype>(end - p, 12))));
    if (!semi)
        return nullptr;
    const std::string_view name(p + 1, size_t(semi - p - 1));
    if (name == "lt")
        *c = '<';
    else if (name == "gt")
        *c = '>';
    else if (name == "amp")
        *c = '&';
    else if (name == "apos")
        *c = '\'';
    else if (name == "quot")
        *c = '"';
    else if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty())
            return nullptr;
        char32_t v = 0;
        for (const char d : digits) {
            int k = -1;
            if (d >= '0' && d <= '9')
                k = d - '0';
            else if (hex && d >= 'a' && d <= 'f')
                k = d - 'a' + 10;
            else if (hex && d >= 'A' && d <= 'F')
                k = d - 'A' + 10;
            if (k < 0)
                return nullptr;
            v = v * (hex ? 16 : 10) + char32_t(k);
            if (v > 0x10FFFF)
                return nullptr;
        }
        if (!xmlChar(v))
            return nullptr;
        *c = v;
    } else {
        return nullptr;
    }
    return semi + 1;
}

// A name at p: ASCII letters, digits, '_', '-', '.', at most one ':' between a
// prefix and the name. 1 when read (p moved past it), 0 when the bytes end in it,
// -1 when it is none.
int scanName(const char *&p, const char *end, std::string_view *prefix, std::string_view *name)
{
    const char *const start = p;
    if (p >= end)
        return 0;
    if (!is(*p, NameStart))
        return -1;
    const char *q = p + 1;
    while (q < end && is(*q, NameChar))
        ++q;
    const char *colon = nullptr;
    if (q < end && *q == ':') {
        colon = q++;
        if (q >= end)
            return 0;
        if (!is(*q, NameStart))
            return -1;
        while (++q < end && is(*q, NameChar)) {
        }
    }
    if (q >= end)
        return 0;
    if (*q == ':' || std::uint8_t(*q) >= 0x80)
        return -1;
    if (colon) {
        *prefix = std::string_view(start, size_t(colon - start));
        *name = std::string_view(colon + 1, size_t(q - colon - 1));
    } else {
        *prefix = {};
        *name = std::string_view(start, size_t(q - start));
    }
    p = q;
    return 1;
}

// Names are short: compared by their size first.
inline bool same(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && (a.empty() || (a[0] == b[0] && std::memcmp(a.data(), b.data(), a.size()) == 0));
}

const char *skipSpace(const char *p, const char *end)
{
    while (p < end && is(*p, Space))
        ++p;
    return p;
}

} // namespace

bool XmlByteScanner::unsure()
{
    m_state = State::Unsure;
    return false;
}

bool XmlByteScanner::stop()
{
    m_state = State::Stopped;
    return false;
}

bool XmlByteScanner::feed(QByteArrayView piece)
{
    if (m_state != State::Reading)
        return false;
    m_buf.append(piece.data(), size_t(piece.size()));
    scan(false);
    return m_state == State::Reading;
}

XmlByteScanner::State XmlByteScanner::finish()
{
    if (m_state == State::Reading) {
        scan(true);
        if (m_state == State::Reading)
            m_state = m_buf.empty() && m_depth == 0 && m_rootSeen ? State::Done : State::Unsure;
    }
    return m_state;
}

void XmlByteScanner::scan(bool last)
{
    const char *const base = m_buf.data();
    const char *const end = base + m_buf.size();
    const char *p = base;
    if (!m_started) {
        if (m_buf.size() < 3 && !last)
            return;
        m_started = true;
        if (m_buf.size() >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
            p += 3;
    }
    while (p < end) {
        if (*p != '<') {
            // Text up to the next tag. Until the last piece it stops a little before
            // the end, so that no reference or character is cut; the rest comes
            // with the next piece.
            const char *limit = last || end - p <= TextTail ? end : end - TextTail;
            if (!last && limit == end)
                break;
            const char *stop = text(p, limit, end, m_depth > 0 ? textTarget() : nullptr);
            if (!stop)
                return;
            m_atStart = false;
            p = stop;
            if (p == limit && !last)
                break;
            continue;
        }
        const char *after = nullptr;
        const Tag t = tag(p, end, &after);
        if (t == Tag::Failed)
            return;
        if (t == Tag::Incomplete) {
            if (last || end - p > MaxTag)
                unsure();   // a tag this long is left to QXmlStreamReader too
            break;
        }
        m_atStart = false;
        p = after;
    }
    m_buf.erase(0, size_t(p - base));
}

const char *XmlByteScanner::text(const char *p, const char *limit, const char *end, std::string *out)
{
    if (m_depth == 0) {   // outside the root element only white space
        for (; p < limit && *p != '<'; ++p) {
            if (!is(*p, Space))
                return unsure(), nullptr;
        }
        return p;
    }
    while (p < limit) {
        const char *run = p;
        while (p < limit && is(*p, PlainText))
            ++p;
        if (out && p > run)
            out->append(run, size_t(p - run));
        if (p >= limit)
            break;
        const std::uint8_t c = std::uint8_t(*p);
        if (c == '<') {
            break;
        } else if (c == '&') {
            char32_t r = 0;
            const char *q = reference(p, end, &r);
            if (!q)
                return unsure(), nullptr;
            if (out)
                appendUtf8(out, r);
            p = q;
        } else if (c == '\r') {   // a line end read as '\n'
            if (out)
                out->push_back('\n');
            if (++p < end && *p == '\n')
                ++p;
        } else if (c == ']') {
            if (end - p >= 3 && p[1] == ']' && p[2] == '>')
                return unsure(), nullptr;
            if (out)
                out->push_back(']');
            ++p;
        } else if (c >= 0x80) {
            const int n = utf8Length(p, end);
            if (n == 0)
                return unsure(), nullptr;
            if (out)
                out->append(p, size_t(n));
            p += n;
        } else {
            return unsure(), nullptr;   // a control character
        }
    }
    return p;
}

XmlByteScanner::Tag XmlByteScanner::tag(const char *p, const char *end, const char **after)
{
    if (end - p < 2)
        return Tag::Incomplete;
    if (p[1] == '/')
        return endTag(p, end, after);
    if (p[1] == '?')
        return declaration(p, end, after);
    if (p[1] == '!') {
        unsure();   // a comment, CDATA or a DOCTYPE
        return Tag::Failed;
    }
    return startTag(p, end, after);
}

XmlByteScanner::Tag XmlByteScanner::startTag(const char *p, const char *end, const char **after)
{
    const auto failed = [this] {
        unsure();
        return Tag::Failed;
    };
    if (m_depth == 0 && m_rootSeen)
        return failed();   // a second root element
    const char *q = p + 1;
    std::string_view prefix, name;
    int r = scanName(q, end, &prefix, &name);
    if (r <= 0)
        return r == 0 ? Tag::Incomplete : failed();
    const std::string_view qualified(p + 1, size_t(q - p - 1));
    m_attributes.clear();
    bool empty = false;
    bool prefixed = false;   // an attribute has a prefix or declares a namespace
    for (;;) {
        const char *spaced = q;
        q = skipSpace(q, end);
        if (q >= end)
            return Tag::Incomplete;
        if (*q == '>') {
            ++q;
            break;
        }
        if (*q == '/') {
            if (q + 1 >= end)
                return Tag::Incomplete;
            if (q[1] != '>')
                return failed();
            q += 2;
            empty = true;
            break;
        }
        if (q == spaced)
            return failed();
        Attribute a;
        r = scanName(q, end, &a.prefix, &a.name);
        if (r <= 0)
            return r == 0 ? Tag::Incomplete : failed();
        q = skipSpace(q, end);
        if (q >= end)
            return Tag::Incomplete;
        if (*q != '=')
            return failed();
        q = skipSpace(q + 1, end);
        if (q >= end)
            return Tag::Incomplete;
        const char quote = *q;
        if (quote != '"' && quote != '\'')
            return failed();
        ++q;
        const char *close = q;
        while (close < end && *close != quote && is(*close, PlainValue))
            ++close;
        if (close < end && *close != quote) {
            close = static_cast<const char *>(std::memchr(close, quote, size_t(end - close)));
            if (close && !attributeValue(q, close, &a.plain))
                return failed();
        }
        if (!close || close >= end)
            return Tag::Incomplete;
        a.value = std::string_view(q, size_t(close - q));
        q = close + 1;
        prefixed = prefixed || !a.prefix.empty() || same(a.name, "xmlns");
        if (m_attributes.size() == MaxAttributes)
            return failed();
        m_attributes.push_back(a);
    }

    // No attribute twice; a name with two prefixes may be the same too.
    for (size_t i = 1; i < m_attributes.size(); ++i) {
        const Attribute &a = m_attributes[i];
        for (size_t j = 0; j < i; ++j) {
            const Attribute &b = m_attributes[j];
            if (same(a.name, b.name) && (same(a.prefix, b.prefix) || (!a.prefix.empty() && !b.prefix.empty())))
                return failed();
        }
    }
    // Namespace declarations are no attributes; every prefix used must be declared.
    const int depth = m_depth + 1;
    const size_t bindingsBefore = m_bindings.size();
    bool declares = false;
    if (prefixed) {
        for (const Attribute &a : m_attributes) {
            if (!same(a.prefix, "xmlns"))
                continue;
            if (same(a.name, "xml") || same(a.name, "xmlns") || a.value.empty() || m_bindings.size() == MaxBindings)
                return failed();
            m_bindings.push_back({std::string(a.name), depth});
        }
        size_t kept = 0;
        for (const Attribute &a : m_attributes) {
            if (same(a.prefix, "xmlns") || (a.prefix.empty() && same(a.name, "xmlns"))) {
                declares = true;
                continue;
            }
            if (!a.prefix.empty() && !same(a.prefix, "xml") && !bound(a.prefix))
                return failed();
            m_attributes[kept++] = a;
        }
        m_attributes.resize(kept);
    }
    if (!prefix.empty() && (same(prefix, "xml") || same(prefix, "xmlns") || !bound(prefix)))
        return failed();

    m_rootSeen = true;
    m_depth = depth;
    if (m_open.size() < size_t(depth))
        m_open.emplace_back();
    if (!same(m_open[size_t(depth - 1)], qualified))   // mostly the same name as last time
        m_open[size_t(depth - 1)].assign(qualified);
    if (!startElement(name, m_attributes, declares))
        return Tag::Failed;
    if (empty) {
        if (!endElement(name))
            return Tag::Failed;
        m_bindings.resize(bindingsBefore);
        --m_depth;
    }
    *after = q;
    return Tag::Read;
}

XmlByteScanner::Tag XmlByteScanner::endTag(const char *p, const char *end, const char **after)
{
    // The name must be the open element's: compared as bytes, then what follows.
    const auto failed = [this] {
        unsure();
        return Tag::Failed;
    };
    if (m_depth == 0)
        return failed();
    const std::string &open = m_open[size_t(m_depth - 1)];
    const char *q = p + 2;
    const size_t n = std::min(open.size(), size_t(end - q));
    if (std::memcmp(q, open.data(), n) != 0)
        return failed();
    if (n < open.size())
        return Tag::Incomplete;
    q = skipSpace(q + n, end);
    if (q >= end)
        return Tag::Incomplete;
    if (*q != '>')
        return failed();
    const size_t colon = open.find(':');
    if (!endElement(colon == std::string::npos ? std::string_view(open) : std::string_view(open).substr(colon + 1)))
        return Tag::Failed;
    while (!m_bindings.empty() && m_bindings.back().depth == m_depth)
        m_bindings.pop_back();
    --m_depth;
    *after = q + 1;
    return Tag::Read;
}

// The XML declaration, only at the very start: version 1.0, UTF-8 if it names an
// encoding.
XmlByteScanner::Tag XmlByteScanner::declaration(const char *p, const char *end, const char **after)
{
    if (!m_atStart) {
        unsure();   // a processing instruction
        return Tag::Failed;
    }
    const std::string_view rest(p, size_t(end - p));
    const size_t close = rest.find("?>");
    if (close == std::string_view::npos)
        return rest.size() < 4096 ? Tag::Incomplete : (unsure(), Tag::Failed);
    const std::string_view decl = rest.substr(0, close);
    if (decl.size() < 6 || decl.substr(0, 5) != "<?xml" || !is(decl[5], Space)) {
        unsure();   // a processing instruction
        return Tag::Failed;
    }
    const char *q = decl.data() + 5;
    const char *const dend = decl.data() + decl.size();
    int seen = 0;   // 1 version, 2 encoding, 3 standalone: in this order
    for (;;) {
        q = skipSpace(q, dend);
        if (q >= dend)
            break;
        std::string_view prefix, name;
        const char *n = q;
        if (scanName(n, dend, &prefix, &name) <= 0 || !prefix.empty())
            break;
        q = skipSpace(n, dend);
        if (q >= dend || *q != '=')
            break;
        q = skipSpace(q + 1, dend);
        if (q >= dend || (*q != '"' && *q != '\''))
            break;
        const char *v = q + 1;
        const char *vend = static_cast<const char *>(std::memchr(v, *q, size_t(dend - v)));
        if (!vend)
            break;
        const std::string_view value(v, size_t(vend - v));
        q = vend + 1;
        const auto lower = [](std::string_view s) {
            std::string l(s);
            for (char &c : l)
                c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
            return l;
        };
        if (seen == 0 && name == "version" && value == "1.0")
            seen = 1;
        else if (seen == 1 && name == "encoding" && lower(value) == "utf-8")
            seen = 2;
        else if (seen >= 1 && seen < 3 && name == "standalone" && (value == "yes" || value == "no"))
            seen = 3;
        else
            return unsure(), Tag::Failed;
        if (q < dend && !is(*q, Space))
            break;
    }
    if (seen == 0 || q < dend) {
        unsure();
        return Tag::Failed;
    }
    *after = dend + 2;
    return Tag::Read;
}

bool XmlByteScanner::attributeValue(const char *p, const char *end, bool *plain)
{
    *plain = true;
    while (p < end) {
        while (p < end && is(*p, PlainValue))
            ++p;
        if (p == end)
            break;
        const std::uint8_t c = std::uint8_t(*p);
        if (c == '<')
            return false;
        if (c == '&') {
            char32_t r = 0;
            p = reference(p, end, &r);
            if (!p)
                return false;
            *plain = false;
        } else if (c >= 0x80) {
            const int n = utf8Length(p, end);
            if (n == 0)
                return false;
            p += n;
        } else if (c < 0x20) {
            if (!is(char(c), Space))
                return false;
            *plain = false;
            ++p;
        } else {
            ++p;
        }
    }
    return true;
}

bool XmlByteScanner::bound(std::string_view prefix) const
{
    for (const Binding &b : m_bindings) {
        if (b.prefix == prefix)
            return true;
    }
    return false;
}

} // namespace kvitanky::workbook
