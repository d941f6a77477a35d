// Render: any K value as q console text. The one renderer behind the console,
// grid cells, exports, watches, the quick watch and entity properties.
//
// render(value, depth, tableBody, element, maxLength):
//  - depth: -1 for a top-level value; nested items are rendered one level down.
//  - tableBody: false from callers; set internally for a table's columns.
//  - element: -1 for the whole value; n >= 0 renders item n of a list only
//    (grid cells), with NullsAreEmpty and NumberLocaleFormat applied.
//  - maxLength: 0 unlimited; > 0 stops at the first item that crosses it and
//    appends "..."; < 0 gives an empty text.
// Work stops as soon as the maximum is passed, and element mode reads only the
// one item, so both cost the same whatever the size of the value.
#pragma once

#include "core/values/RenderBuffer.h"
#include "core/values/RenderOptions.h"

#include "kdb/k.h"

#include <QString>

#include <string_view>

class KRender {
public:
    explicit KRender(const RenderOptions& options = {});

    const RenderOptions& options() const { return m_options; }
    void setOptions(const RenderOptions& options) { m_options = options; }
    // Takes the live settings' values, keeping the options' locale.
    void updateOptions(const CDlgQSettings& settings) { RenderOptions::update(m_options, settings); }

    QString render(K value, int depth = -1, bool tableBody = false, long long element = -1,
                   long long maxLength = 0);
    // The same text as UTF-8; valid until the next call on this renderer.
    std::string_view renderUtf8(K value, int depth = -1, bool tableBody = false, long long element = -1,
                                long long maxLength = 0);

    static constexpr int maxLevel = 1000;

private:
    using Mark = RenderBuffer::Mark;

    // Each returns true when it stopped at the maximum length with "...".
    bool renderValue(K x, int depth, bool tableBody, long long element, long long maxLength);
    void renderAtom(K x, long long element);
    bool renderList(K x, long long maxLength, const Mark& start);
    bool renderString(K x, long long maxLength, const Mark& start);
    bool renderGeneral(K x, int level, bool tableBody, long long maxLength, const Mark& start);
    bool renderDictionary(K x, int level, bool tableBody, long long maxLength, const Mark& start);
    bool renderTable(K x, int level, long long maxLength, const Mark& start);
    void renderFunction(K x, int level);
    void renderElement(K x, int level, long long element, long long maxLength);
    void renderError(K x);
    void renderUnknown(K x);

    // The room left under maxLength, or 0 (unlimited) when there is no limit;
    // false when there is no room left, after appending "...".
    bool room(long long maxLength, const Mark& start, long long& left);
    // Puts the text since `at` in parentheses unless it is one already.
    void parenthesise(std::size_t at);
    // Appends the item text of a number, guid or temporal value.
    void appendItem(int type, const void* item, bool listItem);
    void appendChar(unsigned char c, bool escape);

    RenderOptions m_options;
    RenderBuffer m_out;
    K m_rootValue = nullptr; // the value whose text is the whole text
    int m_nesting = 0;
};

// The console text of a whole value: no depth, no element, no maximum.
QString renderConsole(K value, const RenderOptions& options);
