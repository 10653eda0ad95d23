// SPDX-License-Identifier: GPL-3.0-or-later
// A reader of XML for the two big parts of a workbook, straight from their UTF-8
// bytes as they are unpacked; the scanners of SheetScanner.h build on it.
#pragma once

#include <QByteArrayView>

#include <string>
#include <string_view>
#include <vector>

namespace kvitanky::workbook {

// XML read from its raw UTF-8 bytes, handed over piece by piece: elements,
// attributes, text with the predefined entities and character references,
// namespace prefixes, an XML declaration of UTF-8. A DOCTYPE, CDATA, a comment,
// a processing instruction, another encoding, bytes that are not UTF-8 or
// anything not well-formed make it unsure.
class XmlByteScanner
{
public:
    enum class State { Reading, Unsure, Stopped, Done };
    struct Attribute {
        std::string_view prefix, name;
        std::string_view value;   // as written: entities not replaced
        bool plain = true;        // no entity, no white space but ' ' in it: as written is as read
    };

    virtual ~XmlByteScanner() = default;
    // The next piece of the part; false once reading has ended.
    bool feed(QByteArrayView piece);
    // The part has ended: Done when it was a whole document read for sure.
    State finish();
    State state() const { return m_state; }

protected:
    // Hooks; each returns false after calling unsure() or stop(). The attributes
    // leave out namespace declarations; `declares` says the element has some.
    virtual bool startElement(std::string_view name, const std::vector<Attribute> &attributes, bool declares) = 0;
    virtual bool endElement(std::string_view name) = 0;
    // Where the text read now is appended; nullptr when it is not wanted.
    virtual std::string *textTarget() = 0;

    bool unsure();
    bool stop();

private:
    enum class Tag { Read, Incomplete, Failed };
    void scan(bool last);
    // Reads text up to the next '<' or `limit` (a reference or character may go on
    // to `end`); nullptr when unsure.
    const char *text(const char *p, const char *limit, const char *end, std::string *out);
    Tag tag(const char *p, const char *end, const char **after);
    Tag startTag(const char *p, const char *end, const char **after);
    Tag endTag(const char *p, const char *end, const char **after);
    Tag declaration(const char *p, const char *end, const char **after);
    bool attributeValue(const char *p, const char *end, bool *plain);
    bool bound(std::string_view prefix) const;

    struct Binding {
        std::string prefix;
        int depth;
    };

    State m_state = State::Reading;
    std::string m_buf;
    bool m_started = false;     // a byte order mark is looked for only once
    bool m_atStart = true;      // nothing read yet: an XML declaration may come
    bool m_rootSeen = false;
    int m_depth = 0;
    std::vector<std::string> m_open;   // qualified names of the open elements
    std::vector<Binding> m_bindings;   // prefixes the open elements declare
    std::vector<Attribute> m_attributes;
};

} // namespace kvitanky::workbook
