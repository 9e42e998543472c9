#pragma once
// The one Qt application object of a test program, made on first use and never
// destroyed: tearing Qt down after the program's other statics have gone
// crashes in its input-device cleanup. Test programs that link Qt only.
#include <QCoreApplication>

namespace zul::test {

template <class App = QCoreApplication>
App& qtApplication() {
    static int argc = 1;
    static char name[] = "zul_test";
    static char* argv[] = {name, nullptr};
    static App* app = new App(argc, argv);
    return *app;
}

} // namespace zul::test
