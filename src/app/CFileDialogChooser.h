// The application's file chooser: the platform's open and save dialogs.
#pragma once

#include "core/FileChooser.h"

class QWidget;

class CFileDialogChooser : public FileChooser {
public:
    explicit CFileDialogChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& filter, const QString& suggested) override;
    QString folderName(const QString& caption) override;

private:
    QWidget* m_parent;
};
