// The modal dialog "Server Connection": edits one connection target, tests it
// on a temporary session (off the window's thread) and shows the instance's
// version. The caller saves or connects with what it returns.
#pragma once

#include "connect/ServerConnForm.h"

#include <QDialog>

class BackgroundJob;
class CDlgQSettings;
class Prompter;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class SettingsStore;

class CDlgServerConn : public QDialog {
    Q_OBJECT
public:
    CDlgServerConn(const QString& namePath, const QString& symbol, bool addMode, Prompter& prompter,
                   SettingsStore& store, CDlgQSettings& q, QWidget* parent = nullptr);
    ~CDlgServerConn() override;

    QString namePath() const { return m_form.namePath(); }
    QString symbol() const { return m_form.symbol(); }
    bool connectAfterSaving() const;
    bool isAddMode() const { return m_addMode; }
    bool isTesting() const;
    QString information() const;

    // The controls, by their role (for tests).
    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* symbolEdit() const { return m_symbol; }
    QLineEdit* hostEdit() const { return m_host; }
    QLineEdit* portEdit() const { return m_port; }
    QLineEdit* loginEdit() const { return m_login; }
    QLineEdit* passwordEdit() const { return m_password; }
    QSpinBox* timeoutBox() const { return m_timeout; }
    QPushButton* testButton() const { return m_test; }

public slots:
    void test();
    void accept() override;
    void reject() override;

signals:
    // A Test has reported (after its messages).
    void testFinished(int result);

private:
    void showFields();
    void focus(ServerConnForm::Focus where);
    void startTest();
    void setTesting(bool testing);

    ServerConnForm m_form;
    bool m_addMode;
    Prompter& m_prompter;
    SettingsStore& m_store;
    CDlgQSettings& m_q;
    BackgroundJob* m_job;
    bool m_closeAfterTest = false;
    QLineEdit* m_name;
    QLineEdit* m_symbol;
    QLineEdit* m_host;
    QLineEdit* m_port;
    QLineEdit* m_login;
    QLineEdit* m_password;
    QCheckBox* m_connectAfter;
    QSpinBox* m_timeout;
    QPlainTextEdit* m_info;
    QPushButton* m_test;
    QPushButton* m_ok;
};
