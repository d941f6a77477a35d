// The quick-connect box of the Standard toolbar and its edit field, which
// paints a hint after the typed text.
#pragma once

#include <QComboBox>
#include <QLineEdit>

class CConnectEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CConnectEdit(QWidget* parent = nullptr);
    void setHint(const QString& hint);
    QString hint() const { return m_hint; }

signals:
    void escapePressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_hint;
};

class CConnectComboButton : public QComboBox {
    Q_OBJECT
public:
    explicit CConnectComboButton(QWidget* parent = nullptr);

    // Updates the hint and the tooltip from the connection state.
    void updateState(const QString& currentServer, const QString& serverTitle);
    CConnectEdit* connectEdit() const { return m_edit; }

    // The hint for a typed text: "Disconnected", "<- Not Current!" or the title's first line.
    static QString hintFor(const QString& typed, const QString& currentServer, const QString& serverTitle);
    static QString tooltipFor(const QString& currentServer, const QString& serverTitle);

signals:
    // Enter pressed on a text.
    void connectRequested(const QString& text);
    // Esc pressed in the box (cancels a connect in progress).
    void cancelRequested();

private:
    CConnectEdit* m_edit;
    QString m_currentServer;
    QString m_serverTitle;
};
