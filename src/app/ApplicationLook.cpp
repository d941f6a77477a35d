#include "app/ApplicationLook.h"

#include "app/CommandIds.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStyleHints>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace {
QPalette tinted(const QColor& window, const QColor& base, const QColor& text, const QColor& highlight)
{
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, base.darker(104));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    // Disabled fields look disabled: the window's colour, grey text.
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    p.setColor(QPalette::Disabled, QPalette::Button, window);
    p.setColor(QPalette::Disabled, QPalette::PlaceholderText, QColor(128, 128, 128));
    // Half way from the text to the window: lighter() leaves black text black,
    // which made disabled menu commands look enabled.
    const QColor halfway((text.red() + window.red()) / 2, (text.green() + window.green()) / 2,
                         (text.blue() + window.blue()) / 2);
    p.setColor(QPalette::Disabled, QPalette::Text, halfway);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    return p;
}
} // namespace

bool ApplicationLook::isKnown(int id) { return (id >= cmd::LookWindows2000 && id <= cmd::LookVS2008) || (id >= cmd::LookBlue && id <= cmd::LookDark); }

bool ApplicationLook::isDark(int id) { return id == cmd::LookDark; }

bool ApplicationLook::desktopPrefersDark()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    if (QGuiApplication::styleHints()->colorScheme() != Qt::ColorScheme::Unknown)
        return QGuiApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark;
#endif
    const QPalette p = QGuiApplication::palette();
    return p.color(QPalette::Window).lightness() < p.color(QPalette::WindowText).lightness();
}

int ApplicationLook::firstStartLook(bool desktopDark, int storedDefault) { return desktopDark ? int(cmd::LookDark) : storedDefault; }

int ApplicationLook::resolve(int id, int currentOffice2007) { return isKnown(id) ? id : currentOffice2007; }

void ApplicationLook::apply(QApplication& app, int id)
{
    const int look = resolve(id);
    const bool classic = look == cmd::LookWindows2000;
    QStyle* style = QStyleFactory::create(classic ? QStringLiteral("Windows") : QStringLiteral("Fusion"));
    if (style)
        app.setStyle(style);
    switch (look) {
    case cmd::LookWindows2000: app.setPalette(tinted(QColor(212, 208, 200), Qt::white, Qt::black, QColor(10, 36, 106))); break;
    case cmd::LookOfficeXP: app.setPalette(tinted(QColor(236, 233, 216), Qt::white, Qt::black, QColor(49, 106, 197))); break;
    case cmd::LookWindowsXP: app.setPalette(tinted(QColor(236, 233, 216), Qt::white, Qt::black, QColor(49, 106, 197))); break;
    case cmd::LookOffice2003: app.setPalette(tinted(QColor(222, 234, 252), Qt::white, Qt::black, QColor(75, 120, 202))); break;
    case cmd::LookVS2005: app.setPalette(tinted(QColor(238, 238, 242), Qt::white, Qt::black, QColor(51, 153, 255))); break;
    case cmd::LookVS2008: app.setPalette(tinted(QColor(233, 236, 242), Qt::white, Qt::black, QColor(51, 153, 255))); break;
    case cmd::LookBlue: app.setPalette(tinted(QColor(214, 228, 245), Qt::white, QColor(21, 66, 139), QColor(62, 125, 204))); break;
    case cmd::LookBlack: app.setPalette(tinted(QColor(53, 53, 56), QColor(37, 37, 40), QColor(226, 226, 226), QColor(92, 138, 209))); break;
    case cmd::LookSilver: app.setPalette(tinted(QColor(225, 229, 236), Qt::white, QColor(40, 40, 40), QColor(110, 130, 160))); break;
    case cmd::LookAqua: app.setPalette(tinted(QColor(207, 232, 239), Qt::white, QColor(20, 60, 80), QColor(40, 150, 180))); break;
    case cmd::LookWindows7: app.setPalette(tinted(QColor(240, 240, 240), Qt::white, Qt::black, QColor(51, 153, 255))); break;
    case cmd::LookDark: {
        QPalette p = tinted(QColor(43, 45, 48), QColor(30, 31, 34), QColor(212, 212, 212), QColor(38, 79, 120));
        p.setColor(QPalette::Light, QColor(70, 72, 76));
        p.setColor(QPalette::Midlight, QColor(58, 60, 64));
        p.setColor(QPalette::Mid, QColor(36, 37, 40));
        p.setColor(QPalette::Dark, QColor(24, 25, 27));
        p.setColor(QPalette::Shadow, QColor(10, 10, 10));
        p.setColor(QPalette::Link, QColor(108, 168, 255));
        p.setColor(QPalette::BrightText, QColor(255, 107, 107));
        p.setColor(QPalette::PlaceholderText, QColor(140, 147, 160));
        p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 124, 130));
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 124, 130));
        p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 124, 130));
        app.setPalette(p);
        break;
    }
    default: break;
    }
}
