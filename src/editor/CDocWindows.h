// The windows that show one source document: the document itself, the views
// on its text in the order they were opened, and what belongs to the
// document rather than to a view (automatic saves). The first view processes
// changes (colouring, change marks, disk check, automatic saves); the others
// only show the shared text. Each view holds the group, so the document
// lives as long as any of its windows.
#pragma once

#include "editor/CTovoDoc.h"

#include <QList>
#include <QString>

class CTovoView;

class CDocWindows {
public:
    // Views on one text keep their brackets and marks apart in indicator
    // sets of their own; the indicators Scintilla leaves to us hold this many.
    static constexpr int kIndicatorSlots = 10;

    explicit CDocWindows(CTovoView& first);
    CDocWindows(const CDocWindows&) = delete;
    CDocWindows& operator=(const CDocWindows&) = delete;

    CTovoDoc& document() { return m_doc; }
    const QList<CTovoView*>& views() const { return m_views; }
    CTovoView* processor() const { return m_views.isEmpty() ? nullptr : m_views.first(); }
    // 1-based place of view among the windows, 0 when it is not one of them.
    int indexOf(const CTovoView* view) const;

    void add(CTovoView* view);
    // Returns whether view was the one processing changes.
    bool remove(CTovoView* view);
    // The lowest indicator slot no view uses (the last one when all are taken).
    int freeSlot() const;

    // Automatic saves belong to the document, whichever view runs them.
    QString autoSaveFolder;
    int autoSaveInterval = 0;
    bool autoSaved = false;
    // An undo step is open for the edits since the last colouring run.
    bool burstOpen = false;

private:
    CTovoDoc m_doc;
    QList<CTovoView*> m_views;
};
