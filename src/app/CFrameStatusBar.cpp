#include "app/CFrameStatusBar.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTimer>

CFrameStatusBar::CFrameStatusBar(QWidget* parent)
    : QStatusBar(parent)
    , m_progressStack(new QStackedWidget(this))
    , m_progress(new QProgressBar(this))
    , m_busyTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("CFrameStatusBar"));
    const int widths[paneCount] = {300, 300, 16, 100, 150, 0, 0, 0};
    for (int i = 0; i < paneCount; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setObjectName(QStringLiteral("statusPane%1").arg(i));
        if (widths[i])
            m_labels[i]->setMinimumWidth(widths[i]);
    }
    m_labels[Busy]->setFixedWidth(16);
    m_labels[CapsLock]->setText(QStringLiteral("CAP"));
    m_labels[NumLock]->setText(QStringLiteral("NUM"));
    m_labels[CapsLock]->setEnabled(false);
    m_labels[NumLock]->setEnabled(false);
    m_labels[Progress]->setFrameShape(QFrame::StyledPanel);
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);
    m_progressStack->addWidget(m_labels[Progress]);
    m_progressStack->addWidget(m_progress);
    m_progressStack->setFixedWidth(100);

    addWidget(m_labels[Message], 1);
    // A long grid text is cut rather than widening the window.
    m_labels[Grid]->setMinimumWidth(1);
    addPermanentWidget(m_labels[Grid]);
    addPermanentWidget(m_labels[Connection]);
    addPermanentWidget(m_labels[Busy]);
    addPermanentWidget(m_progressStack);
    addPermanentWidget(m_labels[Position]);
    addPermanentWidget(m_labels[CapsLock]);
    addPermanentWidget(m_labels[NumLock]);

    m_busyTimer->setInterval(500);
    connect(m_busyTimer, &QTimer::timeout, this, &CFrameStatusBar::nextBusyFrame);
}

QLabel* CFrameStatusBar::label(int pane) const { return pane >= 0 && pane < paneCount ? m_labels[pane] : nullptr; }

void CFrameStatusBar::setPaneText(int pane, const QString& text)
{
    if (QLabel* l = label(pane))
        l->setText(text);
    if (pane == Progress)
        m_progressStack->setCurrentWidget(m_labels[Progress]);
}

QString CFrameStatusBar::paneText(int pane) const
{
    const QLabel* l = label(pane);
    return l ? l->text() : QString();
}

void CFrameStatusBar::setPaneColor(int pane, const QColor& color)
{
    QLabel* l = label(pane);
    if (!l)
        return;
    l->setStyleSheet(color.isValid() ? QStringLiteral("color: %1;").arg(color.name()) : QString());
    l->setProperty("paneColor", color);
}

QColor CFrameStatusBar::paneColor(int pane) const
{
    const QLabel* l = label(pane);
    return l ? l->property("paneColor").value<QColor>() : QColor();
}

void CFrameStatusBar::setProgress(int percent)
{
    m_progress->setValue(percent);
    m_progressStack->setCurrentWidget(m_progress);
}

bool CFrameStatusBar::showsProgress() const { return m_progressStack->currentWidget() == m_progress; }

void CFrameStatusBar::startBusy()
{
    m_labels[Busy]->clear();
    m_busyFrame = 0;
    nextBusyFrame();
    m_busyTimer->start();
}

void CFrameStatusBar::stopBusy()
{
    m_busyTimer->stop();
    m_labels[Busy]->clear();
}

bool CFrameStatusBar::isBusy() const { return m_busyTimer->isActive(); }

void CFrameStatusBar::nextBusyFrame()
{
    // A ring of eight dots with one lit, turning one step a frame.
    QPixmap frame(16, 16);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(8, 8);
    for (int i = 0; i < 8; ++i) {
        p.setBrush(i == m_busyFrame % 8 ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(5.5, 0), 1.6, 1.6);
        p.rotate(45);
    }
    p.end();
    m_labels[Busy]->setPixmap(frame);
    ++m_busyFrame;
}
