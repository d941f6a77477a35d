// The one way the system asks the user for a file name. The application shows
// the platform's file dialogs; tests install a scripted chooser.
#pragma once

#include <QString>

class FileChooser {
public:
    virtual ~FileChooser() = default;

    // An existing file to open; empty when the user cancelled.
    virtual QString openFileName(const QString& caption, const QString& filter) = 0;
    // A file to save to, starting from suggested; empty when the user cancelled.
    virtual QString saveFileName(const QString& caption, const QString& filter, const QString& suggested) = 0;
    // An existing folder; empty when the user cancelled.
    virtual QString folderName(const QString& caption) = 0;
};
