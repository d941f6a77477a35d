#include "app/CMessageBoxPrompter.h"

#include <QMessageBox>
#include <QAbstractButton>

namespace {

QMessageBox::StandardButton standardButtonOf(Prompter::Answer answer)
{
    switch (answer) {
    case Prompter::Answer::Ok: return QMessageBox::Ok;
    case Prompter::Answer::Cancel: return QMessageBox::Cancel;
    case Prompter::Answer::Yes: return QMessageBox::Yes;
    case Prompter::Answer::No: return QMessageBox::No;
    case Prompter::Answer::Retry: return QMessageBox::Retry;
    case Prompter::Answer::Abort: return QMessageBox::Abort;
    case Prompter::Answer::Ignore: return QMessageBox::Ignore;
    }
    return QMessageBox::NoButton;
}

} // namespace

Prompter::Answer CMessageBoxPrompter::ask(const QString& text, const QString& caption, Buttons buttons, Icon icon,
                                          Answer defaultButton)
{
    QMessageBox::StandardButtons qtButtons;
    switch (buttons) {
    case Buttons::Ok: qtButtons = QMessageBox::Ok; break;
    case Buttons::OkCancel: qtButtons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case Buttons::YesNo: qtButtons = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel: qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case Buttons::RetryCancel: qtButtons = QMessageBox::Retry | QMessageBox::Cancel; break;
    case Buttons::AbortRetryIgnore: qtButtons = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore; break;
    }
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::None: qtIcon = QMessageBox::NoIcon; break;
    case Icon::Information: qtIcon = QMessageBox::Information; break;
    case Icon::Warning: qtIcon = QMessageBox::Warning; break;
    case Icon::Error: qtIcon = QMessageBox::Critical; break;
    case Icon::Question: qtIcon = QMessageBox::Question; break;
    }
    QMessageBox box(qtIcon, caption, text, qtButtons, m_parent);
    // Enter presses the default button and Space the focused one: both are
    // the default, so neither key gives the other answer.
    const QMessageBox::StandardButton standard = standardButtonOf(defaultButton);
    if (QAbstractButton* button = box.button(standard)) {
        box.setDefaultButton(standard);
        button->setFocus(Qt::OtherFocusReason);
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Ignore: return Answer::Ignore;
    default: return Answer::Cancel;
    }
}
