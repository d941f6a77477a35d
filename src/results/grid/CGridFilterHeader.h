// The grid's column header with a row of filter boxes under the titles, one
// box a column (none over the number column). Hidden until asked for; the
// boxes follow the columns as they are resized, moved and scrolled.
#pragma once

#include <QHeaderView>
#include <QList>

class QLineEdit;

class CGridFilterHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CGridFilterHeader(QWidget* parent = nullptr);

    void setFilterRowVisible(bool visible);
    bool isFilterRowVisible() const { return m_visible; }
    // A section without a box (the number column); -1 for none.
    void setSectionWithoutBox(int section);

    // The box of a logical section, or null.
    QLineEdit* box(int section) const;
    void clearBoxes();
    // Marks a box whose text is no condition of its column's type.
    void setBoxValid(int section, bool valid);
    // Focuses the box of a section, else the first box.
    void focusBox(int section);

    QSize sizeHint() const override;
    // Puts the boxes under their sections (after scrolling, for one).
    void placeBoxes();

signals:
    void filterEdited(int section, const QString& text);
    // Down or Escape-on-empty in a box: the grid takes the focus back.
    void leaveRequested();

protected:
    void updateGeometries() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuildBoxes();
    int boxHeight() const;

    QList<QLineEdit*> m_boxes;
    bool m_visible = false;
    int m_withoutBox = -1;
};
