// The modeless dialog "Subscription": subscribes to a tickerplant with .u.sub
// on a session of its own and shows each update in a grid the application
// supplies. Connecting and the .u.sub and .u.t queries run on a worker
// thread; updates arrive through the subscription thread, and the grid is
// painted with the newest at most once a screen frame.
#pragma once

#include "core/settings/CDlgQSettings.h"
#include "kdb/KPtr.h"

#include <QDialog>
#include <QTimer>

#include <functional>

class AuthPlugins;
class BackgroundJob;
class Prompter;
class QComboBox;
class QLineEdit;
class QPushButton;
class SubscriptionFeed;

class CDlgSubscription : public QDialog {
    Q_OBJECT
public:
    struct Grid {
        QWidget* widget = nullptr;          // placed in the dialog
        std::function<void(K value)> show;  // clears the grid and shows value (borrowed)
        std::function<void()> clear;
    };

    CDlgSubscription(Prompter& prompter, const CDlgQSettings& q, Grid grid, QWidget* parent = nullptr);
    ~CDlgSubscription() override;

    void setAuthPlugins(AuthPlugins* plugins) { m_plugins = plugins; }
    // Flips and saves EnableTLS after a Yes to the TLS question a connect
    // asks when the instance speaks the other protocol; without it the
    // question is not asked.
    void setTlsFlip(std::function<void()> flip) { m_flipTls = std::move(flip); }
    // "Test Subscription...": the current server in "Instance:" the first time,
    // or when the hidden dialog was left for another server; then shown.
    void open(const QString& currentServer);

    bool isSubscribed() const;
    // One pass of the one-second state timer.
    void updateState();
    // Stops the subscription (the button while subscribed).
    void stop();

    QLineEdit* instanceEdit() const { return m_instance; }
    QComboBox* tableBox() const { return m_table; }
    QLineEdit* symsEdit() const { return m_syms; }
    QPushButton* subscribeButton() const { return m_subscribe; }
    SubscriptionFeed* feed() const { return m_feed; }
    // Grid paints so far (each with the newest update).
    int paints() const { return m_paints; }

public slots:
    void subscribeClicked();

signals:
    // The Subscribe press has finished: subscribed or not.
    void subscribeFinished(bool subscribed);
    // The table list was filled from .u.t.
    void tablesListed();

private:
    void listTables();
    void paintLatest();
    bool ask(const QString& text);

    Prompter& m_prompter;
    const CDlgQSettings& m_q;
    Grid m_grid;
    AuthPlugins* m_plugins = nullptr;
    std::function<void()> m_flipTls;
    BackgroundJob* m_job;
    BackgroundJob* m_listJob;
    SubscriptionFeed* m_feed;
    QLineEdit* m_instance;
    QComboBox* m_table;
    QLineEdit* m_syms;
    QPushButton* m_subscribe;
    QTimer m_stateTimer;
    QTimer m_paintTimer;
    bool m_shownSubscribed = false;
    bool m_created = false;
    QString m_subTable;
    QString m_subSyms;
    KPtr m_shown;
    int m_paints = 0;
};
