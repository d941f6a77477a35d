// The "Q Settings" page of the settings dialog.
#pragma once

#include "app/CSettingsPage.h"

class CDlgQSettings;

class CQSettingsPage : public CSettingsPage {
    Q_OBJECT
public:
    CQSettingsPage(CDlgQSettings& settings, const QStringList& authMethods, QWidget* parent = nullptr);

signals:
    void clearConnectHistoryRequested();

private:
    // The hidden "Use server setting" box is bound to nothing.
    bool m_useServerSetting = false;
};
