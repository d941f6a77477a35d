// The application's prompter: a QMessageBox per question.
#pragma once

#include "core/Prompter.h"

class QWidget;

class CMessageBoxPrompter : public Prompter {
public:
    explicit CMessageBoxPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    Answer ask(const QString& text, const QString& caption, Buttons buttons, Icon icon, Answer defaultButton) override;

private:
    QWidget* m_parent;
};
