// Reads an instance script: settings and rules for a TestInstance.
#pragma once

#include <QString>

class TestInstance;

class InstanceScript {
public:
    struct Settings {
        int port = 0;     // 0: chosen by the system
        bool tls = false;
    };

    // Applies the script to instance (rules added in order). False with an
    // error naming the line when the script is invalid.
    static bool apply(const QString& script, TestInstance& instance, Settings& settings, QString* error);

    // The format, as --help shows it.
    static QString formatHelp();
};
