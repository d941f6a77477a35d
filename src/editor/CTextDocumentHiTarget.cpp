#include "editor/CTextDocumentHiTarget.h"

#include "editor/FontConv.h"

#include <QTextDocument>

CTextDocumentHiTarget::CTextDocumentHiTarget(QTextDocument* document)
    : m_document(document)
    , m_batch(document)
{
}

QString CTextDocumentHiTarget::text() const { return m_document->toPlainText(); }

QTextCursor CTextDocumentHiTarget::range(int start, int end) const
{
    // The document holds one more position than its text: the final block end.
    const int last = m_document->characterCount() - 1;
    QTextCursor cursor(m_document);
    cursor.setPosition(std::clamp(start, 0, last));
    cursor.setPosition(std::clamp(end + 1, 0, last), QTextCursor::KeepAnchor);
    return cursor;
}

void CTextDocumentHiTarget::setTextStyle(int start, int end, std::uint32_t colour, bool bold)
{
    QTextCharFormat format;
    format.setForeground(FontConv::toQColor(colour));
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    range(start, end).mergeCharFormat(format);
}

void CTextDocumentHiTarget::setBackground(int start, int end, std::uint32_t colour, bool reset)
{
    QTextCharFormat format;
    format.setBackground(reset ? QBrush(Qt::NoBrush) : QBrush(FontConv::toQColor(colour)));
    range(start, end).mergeCharFormat(format);
}

void CTextDocumentHiTarget::beginBatch() { m_batch.beginEditBlock(); }

void CTextDocumentHiTarget::endBatch() { m_batch.endEditBlock(); }
