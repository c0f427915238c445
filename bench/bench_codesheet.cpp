// Paints the code sheet into a 1920 x 1080 image again and again and prints
// the median time of one paint (target: under 5 ms), aliased as the view
// paints and antialiased as --render-png paints.

#include <QGuiApplication>

#include "paintbench.h"

constexpr int kPaints = 200;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    CZbApp app;
    CZbDoc doc(&app);
    PrintPaintTimes("code sheet", doc, app, kPaints);
    return 0;
}
