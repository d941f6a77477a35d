// What a chart dialog needs from the application: questions, file names, the
// settings store and live settings, the colours file and a colour picker.
#pragma once

#include <QColor>
#include <QString>

#include <functional>

class CDlgQSettings;
class FileChooser;
class Prompter;
class SettingsStore;

struct ChartContext {
    Prompter* prompter = nullptr;
    FileChooser* files = nullptr;
    SettingsStore* store = nullptr;       // ChartY0
    const CDlgQSettings* settings = nullptr; // MaxDrawPoints, QFloatPrecision
    QString graphCfgPath;
    // Picks a colour starting from initial; invalid when cancelled. Empty: the
    // platform's colour dialog.
    std::function<QColor(QColor initial)> pickColour;
};
