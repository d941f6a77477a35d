// The main window's status bar: messages, connection state, busy animation,
// progress and round-trip, position, the lock-key indicators, and the grid
// in focus.
#pragma once

#include <QStatusBar>

class QLabel;
class QProgressBar;
class QStackedWidget;

class CFrameStatusBar : public QStatusBar {
    Q_OBJECT
public:
    // Grid: the shape and selection numbers of the grid in focus.
    enum Pane { Message = 0, Connection = 1, Busy = 2, Progress = 3, Position = 4, CapsLock = 5, NumLock = 6, Grid = 7 };
    static constexpr int paneCount = 8;

    explicit CFrameStatusBar(QWidget* parent = nullptr);

    void setPaneText(int pane, const QString& text);
    QString paneText(int pane) const;
    // Colour of a pane's text; an invalid colour restores the normal one.
    void setPaneColor(int pane, const QColor& color);
    QColor paneColor(int pane) const;

    // Pane 3 as a progress bar (0..100); setPaneText(Progress, ...) replaces it by text.
    void setProgress(int percent);
    bool showsProgress() const;

    void startBusy();
    void stopBusy();
    bool isBusy() const;

private:
    void nextBusyFrame();
    QLabel* label(int pane) const;

    QLabel* m_labels[paneCount] = {};
    QStackedWidget* m_progressStack;
    QProgressBar* m_progress;
    class QTimer* m_busyTimer;
    int m_busyFrame = 0;
};
