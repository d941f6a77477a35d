// The "Editor" page of the settings dialog.
#pragma once

#include "app/CSettingsPage.h"

class CDlgEditorSettings;

class CEditorSettingsPage : public CSettingsPage {
    Q_OBJECT
public:
    explicit CEditorSettingsPage(CDlgEditorSettings& settings, QWidget* parent = nullptr);
};
