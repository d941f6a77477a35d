// What a source document needs from the editor that shows it. Line ends in
// the editor's text are single "\n" characters.
#pragma once

#include <QString>

class CDocEditor {
public:
    virtual ~CDocEditor() = default;
    virtual QString documentText() const = 0;
    // Replaces the whole text; the selection keeps its positions.
    virtual void replaceDocumentText(const QString& text) = 0;
    // Loads new text, as when a file is opened: not an edit the user can undo.
    virtual void loadDocumentText(const QString& text) = 0;
    virtual bool isDocumentModified() const = 0;
    virtual void setDocumentModified(bool modified) = 0;
};
