#pragma once
// What the Qt fuzzers do before their first input: a quiet application on Qt's offscreen
// platform, alive until exit as the fuzzer's own statics are, then the common set-up.

#include "FuzzSupport.h"

#include <QApplication>

namespace zel::fuzz {

inline void StartQt() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "zel_fuzzer";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    Setup();
}

} // namespace zel::fuzz
