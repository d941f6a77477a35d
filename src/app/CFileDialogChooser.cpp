#include "app/CFileDialogChooser.h"

#include <QFileDialog>

QString CFileDialogChooser::openFileName(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_parent, caption, QString(), filter);
}

QString CFileDialogChooser::saveFileName(const QString& caption, const QString& filter, const QString& suggested)
{
    return QFileDialog::getSaveFileName(m_parent, caption, suggested, filter);
}

QString CFileDialogChooser::folderName(const QString& caption)
{
    return QFileDialog::getExistingDirectory(m_parent, caption);
}
