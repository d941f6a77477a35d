#include "app/CConnectComboButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionFrame>

CConnectEdit::CConnectEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("CConnectEdit"));
}

void CConnectEdit::setHint(const QString& hint)
{
    if (m_hint == hint)
        return;
    m_hint = hint;
    update();
}

void CConnectEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    if (m_hint.isEmpty())
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const int textEnd = contents.left() + fontMetrics().horizontalAdvance(text()) + 2;
    QRect space(textEnd, contents.top(), contents.right() - textEnd - 2, contents.height());
    if (space.width() <= 0)
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    const QString shown = fontMetrics().elidedText(m_hint, Qt::ElideRight, space.width());
    painter.drawText(space, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void CConnectEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        emit escapePressed();
    QLineEdit::keyPressEvent(event);
}

CConnectComboButton::CConnectComboButton(QWidget* parent)
    : QComboBox(parent)
    , m_edit(new CConnectEdit(this))
{
    setObjectName(QStringLiteral("CConnectComboButton"));
    setEditable(true);
    setLineEdit(m_edit);
    setInsertPolicy(QComboBox::NoInsert);
    setFixedWidth(300);
    m_edit->setPlaceholderText(QStringLiteral("Enter symbol to connect to..."));
    connect(m_edit, &CConnectEdit::escapePressed, this, &CConnectComboButton::cancelRequested);
    connect(m_edit, &QLineEdit::returnPressed, this, [this] { emit connectRequested(m_edit->text().trimmed()); });
    connect(m_edit, &QLineEdit::textChanged, this, [this] { updateState(m_currentServer, m_serverTitle); });
    updateState(QString(), QString());
}

QString CConnectComboButton::hintFor(const QString& typed, const QString& currentServer, const QString& serverTitle)
{
    if (currentServer.isEmpty())
        return QStringLiteral("Disconnected");
    if (typed != currentServer)
        return QStringLiteral("<- Not Current!");
    const qsizetype br = serverTitle.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    return br <= 0 ? serverTitle : serverTitle.left(br);
}

QString CConnectComboButton::tooltipFor(const QString& currentServer, const QString& serverTitle)
{
    if (!serverTitle.isEmpty())
        return serverTitle;
    return currentServer.isEmpty() ? QStringLiteral("Disconnected") : QStringLiteral("Not in server tree");
}

void CConnectComboButton::updateState(const QString& currentServer, const QString& serverTitle)
{
    m_currentServer = currentServer;
    m_serverTitle = serverTitle;
    setToolTip(tooltipFor(currentServer, serverTitle));
    m_edit->setHint(hintFor(m_edit->text(), currentServer, serverTitle));
}
