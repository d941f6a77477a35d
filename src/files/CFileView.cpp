#include "files/CFileView.h"

#include "core/Prompter.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "files/CVelShellTreeCtrl.h"
#include "files/LocalCodebase.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1);
}
} // namespace

CFileView::CFileView(SettingsStore* store, Prompter* prompter, bool dummy, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_prompter(prompter)
    , m_codebase(new LocalCodebase(this))
    , m_status(new QWidget(this))
    , m_statusLabel(new QLabel(m_status))
    , m_cancel(new QToolButton(m_status))
{
    // The status widget lives in the window's status bar while shown; it goes with the pane.
    connect(this, &QObject::destroyed, m_status, &QObject::deleteLater);
    m_status->setObjectName(QStringLiteral("codebaseStatus"));
    // A long root must not widen the window: the label gives way.
    m_statusLabel->setMinimumWidth(1);
    m_statusLabel->setMaximumWidth(420);
    m_cancel->setText(QStringLiteral("Cancel"));
    m_cancel->setToolTip(QStringLiteral("Stop reading the codebase"));
    auto* statusLayout = new QHBoxLayout(m_status);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    statusLayout->addWidget(m_statusLabel);
    statusLayout->addWidget(m_cancel);
    m_status->hide();

    auto* layout = new QVBoxLayout(this);
    // One pixel around the tree for the frame painted by the pane.
    layout->setContentsMargins(1, 1, 1, 1);
    if (dummy) {
        auto* empty = new QWidget(this);
        empty->setObjectName(QStringLiteral("dummy"));
        layout->addWidget(empty);
        return;
    }
    m_tree = new CVelShellTreeCtrl(this);
    m_tree->setFrameShape(QFrame::NoFrame);
    layout->addWidget(m_tree);
    setFocusProxy(m_tree);
    if (m_store) {
        const QString last = m_store->readText(QString::fromLatin1(kept::LastTreePath), QString());
        if (!last.isEmpty())
            m_tree->selectPath(last);
    }
    connect(m_tree, &CVelShellTreeCtrl::openRequested, this, [this](const QString& path) {
        if (m_store)
            m_store->writeText(QString::fromLatin1(kept::LastTreePath), path);
        emit openRequested(path);
    });
    connect(m_tree, &CVelShellTreeCtrl::codebaseRequested, this, [this] { loadCodebase(); });
    connect(m_cancel, &QToolButton::clicked, m_codebase, &LocalCodebase::cancel);
    connect(m_codebase, &LocalCodebase::progress, this, [this](int seen, qint64 bytes) {
        if (m_codebase->isLoading())
            m_statusLabel->setText(QStringLiteral("Reading codebase: %1 files, %2 MB").arg(seen).arg(megabytes(bytes)));
    });
    connect(m_codebase, &LocalCodebase::finished, this,
            [this](LocalCodebase::Outcome outcome) { finished(int(outcome)); });
}

bool CFileView::showPath(const QString& path)
{
    if (!m_tree || !m_tree->selectPath(path))
        return false;
    m_tree->setFocus(Qt::OtherFocusReason);
    return true;
}

void CFileView::loadCodebaseFrom(const QString& folder)
{
    if (!m_tree)
        return;
    m_tree->setCodebaseRoot(folder);
    loadCodebase();
}

void CFileView::loadCodebase()
{
    if (!m_tree || m_tree->codebaseRoot().isEmpty() || !m_codebase->load(m_tree->codebaseRoot()))
        return;
    m_statusLabel->setText(QStringLiteral("Reading codebase: %1").arg(m_tree->codebaseRoot()));
    m_cancel->show();
    showStatus(true);
}

void CFileView::finished(int outcome)
{
    m_cancel->hide();
    const int kept = int(m_codebase->files().size());
    switch (LocalCodebase::Outcome(outcome)) {
    case LocalCodebase::Outcome::Loaded:
        m_statusLabel->setText(QStringLiteral("Codebase: %1 files").arg(kept));
        emit codebaseLoaded(m_codebase->root());
        break;
    case LocalCodebase::Outcome::Cancelled:
        m_statusLabel->setText(QStringLiteral("Codebase reading cancelled: %1 files kept").arg(kept));
        break;
    case LocalCodebase::Outcome::Failed:
        m_statusLabel->setText(QStringLiteral("Codebase reading stopped: %1 files kept").arg(kept));
        if (m_prompter)
            m_prompter->inform(m_codebase->failure(), QStringLiteral("Tovo"), Prompter::Icon::Error);
        break;
    }
    // The last word stays a few seconds, unless another reading starts.
    QTimer::singleShot(5000, this, [this] {
        if (!m_codebase->isLoading())
            showStatus(false);
    });
}

void CFileView::showStatus(bool show)
{
    // In the bar only while shown: a hidden permanent widget still widens it.
    if (m_bar) {
        if (show)
            m_bar->addPermanentWidget(m_status);
        else
            m_bar->removeWidget(m_status);
    }
    m_status->setVisible(show);
}

void CFileView::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
