#include "results/grid/CGridFilterHeader.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

namespace {

const char* const kBoxTip = "Rows whose text contains this (any case);\n"
                            "=x <>x <x <=x >x >=x compare with x as the column's type\n"
                            "(numbers, 2024.01.01, 10:30, IBM);\n"
                            "null or =0N: nulls only; !null: no nulls";

} // namespace

CGridFilterHeader::CGridFilterHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    connect(this, &QHeaderView::sectionCountChanged, this, &CGridFilterHeader::rebuildBoxes);
    connect(this, &QHeaderView::sectionResized, this, &CGridFilterHeader::placeBoxes);
    connect(this, &QHeaderView::sectionMoved, this, &CGridFilterHeader::placeBoxes);
    connect(this, &QHeaderView::geometriesChanged, this, &CGridFilterHeader::placeBoxes);
}

int CGridFilterHeader::boxHeight() const
{
    return m_boxes.isEmpty() ? fontMetrics().height() + 8 : m_boxes.first()->sizeHint().height();
}

QSize CGridFilterHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (m_visible)
        size.setHeight(size.height() + boxHeight());
    return size;
}

void CGridFilterHeader::updateGeometries()
{
    setViewportMargins(0, 0, 0, m_visible ? boxHeight() : 0);
    QHeaderView::updateGeometries();
    placeBoxes();
}

void CGridFilterHeader::setFilterRowVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (visible && m_boxes.size() != count())
        rebuildBoxes();
    if (visible) {
        // A column narrower than a box can be used in is widened.
        const int least = fontMetrics().horizontalAdvance(QStringLiteral("Filter")) + 24;
        for (int section = 0; section < count(); ++section)
            if (section != m_withoutBox && sectionSize(section) < least)
                resizeSection(section, least);
    }
    for (QLineEdit* box : m_boxes)
        box->setVisible(false);
    updateGeometries();
}

void CGridFilterHeader::setSectionWithoutBox(int section)
{
    m_withoutBox = section;
    placeBoxes();
}

void CGridFilterHeader::rebuildBoxes()
{
    if (m_boxes.size() == count())
        return;
    qDeleteAll(m_boxes);
    m_boxes.clear();
    for (int section = 0; section < count(); ++section) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("gridFilter%1").arg(section));
        box->setPlaceholderText(QStringLiteral("Filter"));
        box->setToolTip(QString::fromLatin1(kBoxTip));
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this, section](const QString& text) { emit filterEdited(section, text); });
        m_boxes << box;
    }
    placeBoxes();
}

void CGridFilterHeader::placeBoxes()
{
    const int height = boxHeight();
    const int top = QHeaderView::sizeHint().height();
    for (int section = 0; section < m_boxes.size(); ++section) {
        QLineEdit* box = m_boxes[section];
        const bool shown = m_visible && section != m_withoutBox && !isSectionHidden(section);
        if (shown) {
            box->setGeometry(sectionViewportPosition(section), top, sectionSize(section), height);
        }
        box->setVisible(shown);
    }
}

QLineEdit* CGridFilterHeader::box(int section) const
{
    return section >= 0 && section < m_boxes.size() ? m_boxes[section] : nullptr;
}

void CGridFilterHeader::clearBoxes()
{
    for (QLineEdit* box : m_boxes) {
        const QSignalBlocker blocker(box);
        box->clear();
        setBoxValid(int(m_boxes.indexOf(box)), true);
    }
}

void CGridFilterHeader::setBoxValid(int section, bool valid)
{
    QLineEdit* b = box(section);
    if (!b)
        return;
    QPalette colours = palette();
    if (!valid)
        colours.setColor(QPalette::Text, QColor(0xc6, 0x28, 0x28));
    b->setPalette(colours);
    b->setProperty("invalidFilter", !valid);
}

void CGridFilterHeader::focusBox(int section)
{
    if (!m_visible)
        return;
    QLineEdit* b = box(section);
    if (!b || !b->isVisible()) {
        b = nullptr;
        for (int visual = 0; visual < count() && !b; ++visual) {
            QLineEdit* candidate = box(logicalIndex(visual));
            if (candidate && candidate->isVisible())
                b = candidate;
        }
    }
    if (b) {
        b->setFocus(Qt::ShortcutFocusReason);
        b->selectAll();
    }
}

bool CGridFilterHeader::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (box && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            // Tab goes from box to box in the columns' order on screen.
            const int step = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier) ? 1 : -1;
            for (int visual = visualIndex(int(m_boxes.indexOf(box))) + step; visual >= 0 && visual < count(); visual += step) {
                QLineEdit* next = this->box(logicalIndex(visual));
                if (next && next->isVisible()) {
                    next->setFocus(Qt::TabFocusReason);
                    next->selectAll();
                    break;
                }
            }
            return true;
        }
        if (box && key->modifiers() == Qt::NoModifier) {
            if (key->key() == Qt::Key_Escape && !box->text().isEmpty()) {
                box->clear();
                return true;
            }
            if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Escape) {
                emit leaveRequested();
                return true;
            }
        }
    }
    return QHeaderView::eventFilter(watched, event);
}
