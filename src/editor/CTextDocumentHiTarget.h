// Colouring target for panes that show q text in a QTextDocument (console,
// plain text panes): text colour, weight and background by character position.
#pragma once

#include "editor/CHiTarget.h"

#include <QTextCursor>

class QTextDocument;

class CTextDocumentHiTarget : public CHiTarget {
public:
    explicit CTextDocumentHiTarget(QTextDocument* document);

    QString text() const override;
    void setTextStyle(int start, int end, std::uint32_t colour, bool bold) override;
    void setBackground(int start, int end, std::uint32_t colour, bool reset) override;
    void beginBatch() override;
    void endBatch() override;

private:
    QTextCursor range(int start, int end) const;

    QTextDocument* m_document;
    QTextCursor m_batch;
};
